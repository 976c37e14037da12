#pragma once
#include "raster/Bitmap.h"

namespace raster {

// Shrinks rows [srcTop, srcTop + srcRows) of source into rows
// [dstTop, dstTop + dstRows) of destination (its whole width) with an area
// filter: each destination pixel is the coverage-weighted mean of the
// ratio x ratio source square it lies over (ratio >= 1: source pixels per
// destination pixel), colours weighted by alpha. Source pixels outside the
// band count as absent, so stacked frames never bleed into each other.
void ReduceArea(const Bitmap& source, int srcTop, int srcRows, double ratio, Bitmap& destination, int dstTop,
                int dstRows);

}  // namespace raster
