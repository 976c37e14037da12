#include "gui/IFontCache.h"

#include <cstring>
#include <memory>
#include <mutex>
#include <vector>

#include "gui/IGraphicsTypes.h"
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
std::mutex& CacheLock() {
  static std::mutex lock;
  return lock;
}
std::vector<Entry>& Entries() {
  static std::vector<Entry> entries;
  return entries;
}
raster::Font* FindLocked(const ITextStyle& style) {
  for (const Entry& entry : Entries())
    if (entry.size == style.size && entry.orientation == style.orientation && entry.style == style.style &&
        std::strncmp(entry.face, style.face, sizeof entry.face - 1) == 0)
      return entry.font.get();
  return nullptr;
}
}  // namespace

raster::Font* IFontCache::FontFor(const ITextStyle& style) {
  {
    std::lock_guard<std::mutex> guard(CacheLock());
    if (raster::Font* font = FindLocked(style)) return font;
  }
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
  std::lock_guard<std::mutex> guard(CacheLock());
  Entries().push_back(std::move(entry));
  return FindLocked(style);
}
