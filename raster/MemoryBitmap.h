#pragma once
#include <cstddef>

#include "raster/Bitmap.h"

namespace raster {

// A bitmap in ordinary memory. Rows may be padded to a multiple of a small
// power of two so that every row starts on an aligned pixel; the first pixel
// sits on a 64-byte boundary. Storage grows by a quarter beyond the request so
// that repeated enlargement reallocates rarely; it never shrinks except to
// nothing.
class MemoryBitmap final : public Bitmap {
 public:
  // rowAlignment: pixels per row multiple, a power of two up to 16 (values
  // in between round up to the next power, larger ones act as 16; 0 or 1
  // means unpadded rows).
  explicit MemoryBitmap(int width = 0, int height = 0, int rowAlignment = 0);
  ~MemoryBitmap() override;
  MemoryBitmap(const MemoryBitmap&) = delete;
  MemoryBitmap& operator=(const MemoryBitmap&) = delete;

  Pixel* Pixels() override;
  int Width() const override { return width_; }
  int Height() const override { return height_; }
  int RowSpan() const override { return (width_ + alignMask_) & ~alignMask_; }
  bool IsFlipped() const override { return false; }
  bool Resize(int width, int height) override;
  DeviceContext Context() override { return nullptr; }

  // Bytes held by the block, excluding the alignment slack.
  size_t AllocatedBytes() const { return allocated_; }

 private:
  void Release();

  void* block_ = nullptr;
  int width_ = 0;
  int height_ = 0;
  size_t allocated_ = 0;
  int alignMask_ = 0;
};

}  // namespace raster
