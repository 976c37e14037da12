#pragma once
#include "raster/Pixel.h"

namespace raster {

// Opaque native drawing context: an HDC on Windows, absent elsewhere.
struct NativeContextTag;
using DeviceContext = NativeContextTag*;

// A 32-bit raster the library draws into and copies from. Rows run top to
// bottom unless IsFlipped(), in which case the top row is stored last.
// No locking: a bitmap belongs to the thread that draws with it.
class Bitmap {
 public:
  virtual ~Bitmap() = default;
  // First pixel of the first row in memory; null when there is no storage.
  virtual Pixel* Pixels() = 0;
  virtual int Width() const = 0;
  virtual int Height() const = 0;
  // Distance between rows, in pixels.
  virtual int RowSpan() const = 0;
  virtual bool IsFlipped() const = 0;
  // True when the size changed. A bitmap that cannot get storage for the
  // new size reports 0 x 0.
  virtual bool Resize(int width, int height) = 0;
  // The native context text can be drawn into, or null.
  virtual DeviceContext Context() = 0;
  // Reserved extension point; neither bitmap kind answers it.
  virtual void* Extension(int /*what*/, void* /*data*/) { return nullptr; }

  const Pixel* Pixels() const { return const_cast<Bitmap*>(this)->Pixels(); }

  // Row y (0 = top) wherever it is stored; y must be inside the bitmap.
  Pixel* Row(int y) {
    const int stored = IsFlipped() ? Height() - 1 - y : y;
    return Pixels() + static_cast<long long>(stored) * RowSpan();
  }
};

}  // namespace raster
