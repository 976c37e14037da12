#include "gui/IFontCache.h"

#include <cstring>
#include <memory>

#include "gui/IGraphicsTypes.h"
#include "gui/LockedList.h"
#include "raster/Font.h"
#include "raster/NativeFont.h"

namespace {
struct Entry {
  int size;
  int orientation;
  int style;
  char face[36];
  std::unique_ptr<raster::Font> font;
};
LockedList<Entry>& Fonts() {
  static LockedList<Entry> fonts;
  return fonts;
}
// The cache key: size, orientation, style and face.
auto SameKey(const ITextStyle& style) {
  return [&style](const Entry& entry) {
    return entry.size == style.size && entry.orientation == style.orientation && entry.style == style.style &&
           std::strncmp(entry.face, style.face, sizeof entry.face - 1) == 0;
  };
}
}  // namespace

raster::Font* IFontCache::FontFor(const ITextStyle& style) {
  if (const Entry* cached = Fonts().Find(SameKey(style))) return cached->font.get();
  raster::FontRequest request;
  request.face = style.face;
  request.height = style.size;
  request.weight = style.style == ITextStyle::kBold ? 700 : 400;
  request.italic = style.style == ITextStyle::kItalic;
  request.escapementTenths = style.orientation * 10;
  request.quality = style.quality;
  raster::NativeFont native = raster::CreateNativeFont(request);
  if (!native) return nullptr;
  auto font = std::make_unique<raster::Font>();
  font->SetFont(native, raster::kFontOwnsHandle | raster::kFontSystemRenderer);

  Entry entry{style.size, style.orientation, style.style, {}, std::move(font)};
  std::strncpy(entry.face, style.face, sizeof entry.face - 1);
  return Fonts().Append(std::move(entry), SameKey(style))->font.get();
}
