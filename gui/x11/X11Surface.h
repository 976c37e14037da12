#pragma once
#include <X11/Xlib.h>

#include "gui/IGraphicsTypes.h"

namespace raster {
class Bitmap;
}

// Puts rectangles of raster bitmaps into a window. When the visual holds
// pixels as the raster library does (32 bits per pixel, 8-8-8 TrueColor in
// the host's byte order) the image is sent straight from the bitmap, alpha
// forced opaque where the depth has an alpha channel; any other TrueColor
// visual (16-bit screens) goes through a conversion image.
// Window thread only; the caller traps X errors.
class X11Surface {
 public:
  X11Surface(Display* display, Window window, Visual* visual, int depth, int width, int height);
  ~X11Surface();
  X11Surface(const X11Surface&) = delete;
  X11Surface& operator=(const X11Surface&) = delete;

  // Copies the source rectangle whose top-left is (srcX, srcY) to dest;
  // dest is clipped to the window's width and height.
  void Put(raster::Bitmap& source, int srcX, int srcY, const IBounds& dest);
  bool Direct() const { return direct_; }

 private:
  struct Channel {
    int shift = 0;
    int bits = 0;
  };
  unsigned long Convert(unsigned int argb) const;
  void ConvertInto(raster::Bitmap& source, int srcX, int srcY, int x, int y, int w, int h);

  Display* display_;
  Window window_;
  Visual* visual_;
  int depth_;
  int width_;
  int height_;
  GC gc_ = nullptr;
  bool direct_ = false;
  unsigned long opaque_ = 0;  // bits of the depth outside the colour masks
  Channel red_, green_, blue_;
  XImage* converted_ = nullptr;  // the whole window, for the conversion path
};
