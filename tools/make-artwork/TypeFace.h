#pragma once
#include <string>

#include "raster/Bitmap.h"

struct FT_FaceRec_;

// One font file at one pixel size, drawn with FreeType straight from its
// path, so the artwork never depends on which face fontconfig would pick.
// Text is ASCII; glyphs are kerned and blended onto the bitmap by coverage.
class TypeFace {
 public:
  TypeFace(const char* path, int pixelSize);
  ~TypeFace();
  TypeFace(const TypeFace&) = delete;
  TypeFace& operator=(const TypeFace&) = delete;

  bool Loaded() const { return face_ != nullptr; }
  // Advance width in pixels, with `tracking` extra pixels between letters.
  int Width(const std::string& text, int tracking = 0) const;
  // Draws text whose baseline starts at (x, baseline).
  void Draw(raster::Bitmap& target, int x, int baseline, const std::string& text, raster::Pixel colour,
            int tracking = 0) const;

 private:
  // Walks the glyphs, calling place(glyph slot, pen x in 26.6) for each.
  template <typename Place>
  long Layout(const std::string& text, int tracking, bool render, Place place) const;

  FT_FaceRec_* face_ = nullptr;
};
