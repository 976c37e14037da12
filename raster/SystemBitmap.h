#pragma once
#include "raster/Bitmap.h"
#include "raster/PlatformSurface.h"

namespace raster {

// A bitmap the native text renderer and the window layer can reach: on
// Windows a 32-bit top-down DIB section selected into a memory device
// context, elsewhere ordinary memory without a context. Its pixel block is
// allocated a multiple of 4 pixels wide and is kept when a smaller size is
// asked for, so shrinking a window never reallocates.
class SystemBitmap final : public Bitmap {
 public:
  SystemBitmap(int width = 0, int height = 0);
  ~SystemBitmap() override;
  SystemBitmap(const SystemBitmap&) = delete;
  SystemBitmap& operator=(const SystemBitmap&) = delete;

  Pixel* Pixels() override { return surface_.pixels; }
  int Width() const override { return width_; }
  int Height() const override { return height_; }
  int RowSpan() const override { return allocWidth_; }
  bool IsFlipped() const override { return false; }
  bool Resize(int width, int height) override;
  DeviceContext Context() override { return surface_.context; }

  int AllocatedWidth() const { return allocWidth_; }
  int AllocatedHeight() const { return allocHeight_; }

 private:
  int width_ = 0;
  int height_ = 0;
  platform::Surface surface_;
  int allocWidth_ = 0;
  int allocHeight_ = 0;
};

}  // namespace raster
