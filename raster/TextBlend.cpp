#include "raster/TextBlend.h"

#include <algorithm>

namespace raster::text {

ClipRect TextClip(Bitmap& destination, const TextBounds& bounds, bool noClip) {
  ClipRect c{0, 0, destination.Width(), destination.Height()};
  if (!noClip) {
    c.left = std::max(c.left, bounds.left);
    c.top = std::max(c.top, bounds.top);
    c.right = std::min(c.right, bounds.right);
    c.bottom = std::min(c.bottom, bounds.bottom);
  }
  return c;
}

void BlendCoverage(Bitmap& destination, int x, int y, const uint8_t* coverage, int stride, int w, int h,
                   Pixel colour, int alpha, const ClipRect& clip) {
  if (!destination.Pixels() || alpha <= 0) return;
  const int x0 = std::max(x, clip.left), x1 = std::min(x + w, clip.right);
  const int y0 = std::max(y, clip.top), y1 = std::min(y + h, clip.bottom);
  const int cr = ChannelOf(colour, kRed), cg = ChannelOf(colour, kGreen), cb = ChannelOf(colour, kBlue);
  for (int py = y0; py < y1; ++py) {
    const uint8_t* cov = coverage + static_cast<long long>(py - y) * stride;
    Pixel* row = destination.Row(py);
    for (int px = x0; px < x1; ++px) {
      const int a = cov[px - x] * alpha / 255;
      if (!a) continue;
      const Pixel d = row[px];
      const int dr = ChannelOf(d, kRed), dg = ChannelOf(d, kGreen), db = ChannelOf(d, kBlue);
      const int da = ChannelOf(d, kAlpha);
      row[px] = PackPixel(da + (255 - da) * a / 255, dr + ((cr - dr) * a) / 255, dg + ((cg - dg) * a) / 255,
                          db + ((cb - db) * a) / 255);
    }
  }
}

void FillRect(Bitmap& destination, int left, int top, int right, int bottom, Pixel colour, const ClipRect& clip) {
  if (!destination.Pixels()) return;
  left = std::max(left, clip.left);
  top = std::max(top, clip.top);
  right = std::min(right, clip.right);
  bottom = std::min(bottom, clip.bottom);
  for (int y = top; y < bottom; ++y) std::fill(destination.Row(y) + left, destination.Row(y) + std::max(left, right), colour | 0xFF000000u);
}

int TextAlpha(Pixel colour, int flags, float weight) {
  const int alpha = (flags & kTextBlendAlpha) ? ChannelOf(colour, kAlpha) : 255;
  const float w = weight < 0.0f ? 0.0f : (weight > 1.0f ? 1.0f : weight);
  return static_cast<int>(alpha * w + 0.5f);
}

int AlignedLeft(const TextBounds& bounds, int lineWidth, int flags) {
  if (flags & kTextCentre) return bounds.left + (bounds.right - bounds.left - lineWidth) / 2;
  if (flags & kTextRight) return bounds.right - lineWidth;
  return bounds.left;
}

int AlignedTop(const TextBounds& bounds, int blockHeight, int flags) {
  if (!(flags & kTextSingleLine)) return bounds.top;
  if (flags & kTextVerticalCentre) return bounds.top + (bounds.bottom - bounds.top - blockHeight) / 2;
  if (flags & kTextBottom) return bounds.bottom - blockHeight;
  return bounds.top;
}

}  // namespace raster::text
