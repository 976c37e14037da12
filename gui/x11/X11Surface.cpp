#include "gui/x11/X11Surface.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "raster/Bitmap.h"
// After the project headers: Xlib macros clash with them.
#include <X11/Xutil.h>

namespace {
int NativeByteOrder() {
  const unsigned int one = 1;
  unsigned char first;
  std::memcpy(&first, &one, 1);
  return first ? LSBFirst : MSBFirst;
}

int CountBits(unsigned long mask) { return __builtin_popcountl(mask); }
int LowestBit(unsigned long mask) { return mask ? __builtin_ctzl(mask) : 0; }

// The bits per pixel the server uses for ZPixmap images of this depth.
int BitsPerPixel(Display* display, int depth) {
  int count = 0, bpp = 0;
  XPixmapFormatValues* formats = XListPixmapFormats(display, &count);
  for (int i = 0; i < count; ++i)
    if (formats[i].depth == depth) bpp = formats[i].bits_per_pixel;
  if (formats) XFree(formats);
  return bpp;
}
}  // namespace

X11Surface::X11Surface(Display* display, Window window, Visual* visual, int depth, int width, int height)
    : display_(display), window_(window), visual_(visual), depth_(depth), width_(width), height_(height) {
  gc_ = XCreateGC(display_, window_, 0, nullptr);
  red_ = {LowestBit(visual->red_mask), CountBits(visual->red_mask)};
  green_ = {LowestBit(visual->green_mask), CountBits(visual->green_mask)};
  blue_ = {LowestBit(visual->blue_mask), CountBits(visual->blue_mask)};
  const unsigned long depthMask = depth >= 32 ? ~0ul >> (8 * sizeof(long) - 32) : (1ul << depth) - 1;
  opaque_ = depthMask & ~(visual->red_mask | visual->green_mask | visual->blue_mask);
  direct_ = (depth == 24 || depth == 32) && BitsPerPixel(display, depth) == 32 && visual->red_mask == 0xFF0000 &&
            visual->green_mask == 0xFF00 && visual->blue_mask == 0xFF && ImageByteOrder(display) == NativeByteOrder();
  if (!direct_) {
    converted_ = XCreateImage(display_, visual_, static_cast<unsigned>(depth_), ZPixmap, 0, nullptr,
                              static_cast<unsigned>(width_), static_cast<unsigned>(height_), 32, 0);
    if (converted_) {
      converted_->data = static_cast<char*>(std::calloc(static_cast<size_t>(converted_->bytes_per_line), height_));
      if (!converted_->data) {
        XDestroyImage(converted_);
        converted_ = nullptr;
      }
    }
  }
}

X11Surface::~X11Surface() {
  if (converted_) XDestroyImage(converted_);  // frees its data too
  if (gc_) XFreeGC(display_, gc_);
}

unsigned long X11Surface::Convert(unsigned int argb) const {
  auto channel = [](unsigned int value, const Channel& c) -> unsigned long {
    const unsigned long v = c.bits <= 8 ? value >> (8 - c.bits) : static_cast<unsigned long>(value) << (c.bits - 8);
    return v << c.shift;
  };
  return channel((argb >> 16) & 0xFF, red_) | channel((argb >> 8) & 0xFF, green_) | channel(argb & 0xFF, blue_) |
         opaque_;
}

void X11Surface::ConvertInto(raster::Bitmap& source, int srcX, int srcY, int x, int y, int w, int h) {
  const int bpp = converted_->bits_per_pixel;
  const bool native = converted_->byte_order == NativeByteOrder();
  for (int row = 0; row < h; ++row) {
    const raster::Pixel* in = source.Row(srcY + row) + srcX;
    char* line = converted_->data + static_cast<long>(y + row) * converted_->bytes_per_line;
    for (int col = 0; col < w; ++col) {
      const unsigned long value = Convert(in[col]);
      if (native && bpp == 32) {
        const uint32_t v = static_cast<uint32_t>(value);
        std::memcpy(line + 4 * (x + col), &v, 4);
      } else if (native && bpp == 16) {
        const uint16_t v = static_cast<uint16_t>(value);
        std::memcpy(line + 2 * (x + col), &v, 2);
      } else {
        XPutPixel(converted_, x + col, y + row, value);
      }
    }
  }
}

void X11Surface::Put(raster::Bitmap& source, int srcX, int srcY, const IBounds& dest) {
  // Clip to the window and to the source.
  int x = std::max(0, dest.L), y = std::max(0, dest.T);
  srcX += x - dest.L, srcY += y - dest.T;
  const int w = std::min({dest.R, width_, x + source.Width() - srcX}) - x;
  const int h = std::min({dest.B, height_, y + source.Height() - srcY}) - y;
  if (w <= 0 || h <= 0 || srcX < 0 || srcY < 0 || !source.Pixels()) return;
  if (!direct_) {
    if (!converted_) return;
    ConvertInto(source, srcX, srcY, x, y, w, h);
    XPutImage(display_, window_, gc_, converted_, x, y, x, y, static_cast<unsigned>(w), static_cast<unsigned>(h));
    return;
  }
  if (opaque_)
    for (int row = 0; row < h; ++row) {
      raster::Pixel* p = source.Row(srcY + row) + srcX;
      for (int col = 0; col < w; ++col) p[col] |= 0xFF000000u;
    }
  // An image header over the bitmap's own rows; the rows stay the bitmap's.
  XImage* image = XCreateImage(display_, visual_, static_cast<unsigned>(depth_), ZPixmap, 0,
                               reinterpret_cast<char*>(source.Row(srcY)), static_cast<unsigned>(srcX + w),
                               static_cast<unsigned>(h), 32, source.RowSpan() * 4);
  if (!image) return;
  XPutImage(display_, window_, gc_, image, srcX, 0, x, y, static_cast<unsigned>(w), static_cast<unsigned>(h));
  image->data = nullptr;
  XDestroyImage(image);
}
