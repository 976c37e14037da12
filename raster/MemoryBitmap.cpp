#include "raster/MemoryBitmap.h"

#include <climits>
#include <cstdint>
#include <cstdlib>

namespace raster {
namespace {

constexpr size_t kPixelAlignment = 64;
// Refuse blocks the address space cannot sensibly hold; a size computed from
// untrusted image headers must not wrap around.
constexpr unsigned long long kMaxBlockBytes = 1ull << 34;

int MaskForAlignment(int alignment) {
  if (alignment < 2) return 0;
  int power = 2;
  while (power < alignment && power < 16) power <<= 1;
  return power - 1;
}

}  // namespace

MemoryBitmap::MemoryBitmap(int width, int height, int rowAlignment)
    : alignMask_(MaskForAlignment(rowAlignment)) {
  Resize(width, height);
}

MemoryBitmap::~MemoryBitmap() { Release(); }

void MemoryBitmap::Release() {
  std::free(block_);
  block_ = nullptr;
  allocated_ = 0;
}

Pixel* MemoryBitmap::Pixels() {
  if (!block_) return nullptr;
  const auto address = reinterpret_cast<uintptr_t>(block_);
  return reinterpret_cast<Pixel*>((address + kPixelAlignment - 1) & ~uintptr_t(kPixelAlignment - 1));
}

bool MemoryBitmap::Resize(int width, int height) {
  if (width < 0) width = 0;
  if (height < 0) height = 0;
  if (width == width_ && height == height_) return false;
  // The padded row span must fit the int that RowSpan reports; a width
  // close to INT_MAX would overflow it, so such a size is refused (the
  // bitmap ends up empty, as when the block cannot be had).
  const long long span = (static_cast<long long>(width) + alignMask_) & ~static_cast<long long>(alignMask_);
  const bool spanFits = span <= INT_MAX;
  width_ = spanFits ? width : 0;
  height_ = spanFits ? height : 0;

  const unsigned long long wanted = static_cast<unsigned long long>(height_) * static_cast<unsigned long long>(span) * 4u;
  if (wanted == 0 || wanted > kMaxBlockBytes) {
    Release();
  } else {
    const size_t bytes = static_cast<size_t>(wanted);
    if (!block_) {
      block_ = std::malloc(bytes + kPixelAlignment - 1);
      allocated_ = block_ ? bytes : 0;
    } else if (allocated_ < bytes) {
      const size_t grown = bytes + bytes / 4;
      void* moved = std::realloc(block_, grown + kPixelAlignment - 1);
      if (moved) {
        block_ = moved;
        allocated_ = grown;
      } else {
        std::free(block_);
        block_ = std::malloc(bytes + kPixelAlignment - 1);
        allocated_ = block_ ? bytes : 0;
      }
    }
  }
  if (!block_) {
    width_ = 0;
    height_ = 0;
  }
  return true;
}

}  // namespace raster
