#include "gui/IBitmapCache.h"

#include "gui/LockedList.h"
#include "raster/Bitmap.h"

namespace {
struct Entry {
  int id;
  std::unique_ptr<raster::Bitmap> bitmap;
};
LockedList<Entry>& Bitmaps() {
  static LockedList<Entry> bitmaps;
  return bitmaps;
}
}  // namespace

raster::Bitmap* IBitmapCache::Find(int resourceId) {
  const Entry* entry = Bitmaps().Find([resourceId](const Entry& e) { return e.id == resourceId; });
  return entry ? entry->bitmap.get() : nullptr;
}

raster::Bitmap* IBitmapCache::Insert(int resourceId, std::unique_ptr<raster::Bitmap> bitmap) {
  if (!bitmap) return nullptr;
  const Entry* entry =
      Bitmaps().Append(Entry{resourceId, std::move(bitmap)}, [resourceId](const Entry& e) { return e.id == resourceId; });
  return entry->bitmap.get();
}
