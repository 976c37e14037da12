#include "raster/SystemBitmap.h"

namespace raster {
namespace {
// Largest side a native section is asked for; beyond it the request fails
// like any refused allocation.
constexpr int kMaxSide = 1 << 15;
}

SystemBitmap::SystemBitmap(int width, int height) {
  platform::OpenSurface(surface_);
  Resize(width, height);
}

SystemBitmap::~SystemBitmap() { platform::CloseSurface(surface_); }

bool SystemBitmap::Resize(int width, int height) {
  if (!surface_.open) {
    width_ = height_ = 0;
    surface_.pixels = nullptr;
    return false;
  }
  if (width < 0) width = 0;
  if (height < 0) height = 0;
  if (width == width_ && height == height_) return false;
  width_ = width;
  height_ = height;
  if (width && height && allocWidth_ >= width && allocHeight_ >= height && surface_.pixels) {
    return true;  // the existing block is large enough
  }
  // Refused before the rounding below, which would overflow near INT_MAX.
  const bool fits = width <= kMaxSide && height <= kMaxSide;
  allocWidth_ = fits ? (width + 3) & ~3 : 0;
  allocHeight_ = fits ? height : 0;
  platform::DestroySurfacePixels(surface_);
  if (!width || !height) return true;
  if (!fits || !platform::CreateSurfacePixels(surface_, allocWidth_, allocHeight_, IsFlipped())) {
    width_ = height_ = 0;
    allocWidth_ = allocHeight_ = 0;
  }
  return true;
}

}  // namespace raster
