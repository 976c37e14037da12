#pragma once
#include <cstddef>

#include "raster/Font.h"

// What Font needs of the platform's text renderer.
namespace raster::platform {

struct TextJob {
  const Font* font;
  Bitmap* destination;
  const char* text;
  size_t length;  // > 0
  TextBounds bounds;
  int flags;
};

// Height of one line of the font in pixels.
int FontLineHeight(NativeFont font);
// Draws the text; returns the renderer's result (text height, 0 on failure).
int RenderText(const TextJob& job);

}  // namespace raster::platform
