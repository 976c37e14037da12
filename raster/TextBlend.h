#pragma once
#include <cstdint>

#include "raster/Bitmap.h"
#include "raster/Font.h"

// Putting rendered glyph coverage onto a bitmap: the platform-neutral end of
// every text path that does not draw through a native context.
namespace raster::text {

struct ClipRect {
  int left, top, right, bottom;  // right/bottom exclusive
};

// The destination area text may touch: the bounds (unless noClip) cut to the
// bitmap.
ClipRect TextClip(Bitmap& destination, const TextBounds& bounds, bool noClip);

// Blends colour into the w x h block at (x, y) by coverage (0..255 per
// pixel, rows `stride` bytes apart) scaled by alpha (0..255), within clip.
// Colour channels move toward the colour; alpha accumulates like paint over
// the existing pixel.
void BlendCoverage(Bitmap& destination, int x, int y, const uint8_t* coverage, int stride, int w, int h,
                   Pixel colour, int alpha, const ClipRect& clip);

// Fills the rectangle (cut to clip) with an opaque colour.
void FillRect(Bitmap& destination, int left, int top, int right, int bottom, Pixel colour, const ClipRect& clip);

// Effective text alpha: the colour's own alpha when blending by it is asked
// for, else opaque; scaled by the font's combine weight.
int TextAlpha(Pixel colour, int flags, float weight);

// Left edge of a line of the given width, and top of a block of the given
// height, as the alignment flags place them within bounds.
int AlignedLeft(const TextBounds& bounds, int lineWidth, int flags);
int AlignedTop(const TextBounds& bounds, int blockHeight, int flags);

}  // namespace raster::text
