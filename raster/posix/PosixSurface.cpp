// Without a native drawing context the surface is a plain, 64-byte aligned
// memory block; text reaches it through the library's own renderer.
#include <cstdlib>

#include "raster/PlatformSurface.h"

namespace raster::platform {

bool OpenSurface(Surface& surface) {
  surface.open = true;
  surface.context = nullptr;
  return true;
}

void CloseSurface(Surface& surface) {
  DestroySurfacePixels(surface);
  surface.open = false;
}

bool CreateSurfacePixels(Surface& surface, int width, int height, bool /*flipped*/) {
  const size_t bytes = static_cast<size_t>(width) * static_cast<size_t>(height) * sizeof(Pixel);
  const size_t rounded = (bytes + 63) & ~size_t(63);
  void* block = std::aligned_alloc(64, rounded);
  surface.section = block;
  surface.pixels = static_cast<Pixel*>(block);
  return block != nullptr;
}

void DestroySurfacePixels(Surface& surface) {
  std::free(surface.section);
  surface.section = nullptr;
  surface.pixels = nullptr;
}

}  // namespace raster::platform
