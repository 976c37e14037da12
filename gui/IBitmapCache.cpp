#include "gui/IBitmapCache.h"

#include <mutex>
#include <vector>

#include "raster/Bitmap.h"

namespace {
struct Entry {
  int id;
  std::unique_ptr<raster::Bitmap> bitmap;
};
std::mutex& CacheLock() {
  static std::mutex lock;
  return lock;
}
std::vector<Entry>& Entries() {
  static std::vector<Entry> entries;
  return entries;
}
raster::Bitmap* FindLocked(int id) {
  for (const Entry& entry : Entries())
    if (entry.id == id) return entry.bitmap.get();
  return nullptr;
}
}  // namespace

raster::Bitmap* IBitmapCache::Find(int resourceId) {
  std::lock_guard<std::mutex> guard(CacheLock());
  return FindLocked(resourceId);
}

raster::Bitmap* IBitmapCache::Insert(int resourceId, std::unique_ptr<raster::Bitmap> bitmap) {
  if (!bitmap) return nullptr;
  std::lock_guard<std::mutex> guard(CacheLock());
  Entries().push_back(Entry{resourceId, std::move(bitmap)});
  return FindLocked(resourceId);
}
