#include "raster/Font.h"

#include <cstring>

#include "raster/PlatformText.h"

namespace raster {

Font::~Font() {
  if ((flags_ & kFontOwnsHandle) && handle_) DeleteNativeFont(handle_);
}

void Font::SetFont(NativeFont handle, int flags) {
  if ((flags_ & kFontOwnsHandle) && handle_ && handle_ != handle) DeleteNativeFont(handle_);
  flags_ = flags;
  handle_ = handle;
  // Glyphs are rendered per call by the system renderer, so there is no
  // glyph cache to clear or to fill ahead for kFontPrerender.
  lineHeight_ = handle ? platform::FontLineHeight(handle) : 0;
}

int Font::RenderText(Bitmap* destination, const char* text, int length, const TextBounds& bounds, int flags) {
  if (!destination || !text || !handle_) return 0;
  const size_t n = length < 0 ? std::strlen(text) : static_cast<size_t>(length);
  if (n == 0) return 0;
  return platform::RenderText({this, destination, text, n, bounds, flags});
}

}  // namespace raster
