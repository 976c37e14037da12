#pragma once
#include <memory>

namespace raster {
class Bitmap;
}

// Decoded editor images, shared by every plug-in instance of the process and
// kept until the library unloads. The lock is held only while searching or
// inserting, never while a PNG is decoded; two instances loading the same
// image at once may both insert it, and lookups return the first.
namespace IBitmapCache {
raster::Bitmap* Find(int resourceId);
// Stores the bitmap and returns it (the first one stored under the id, if
// another thread was quicker).
raster::Bitmap* Insert(int resourceId, std::unique_ptr<raster::Bitmap> bitmap);
}  // namespace IBitmapCache
