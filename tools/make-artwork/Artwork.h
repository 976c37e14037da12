#pragma once
#include "raster/Bitmap.h"

// The editor's two images, drawn k times as large as at 100 % (k = 1 for
// the 100 % images, 3 for the masters other scales are reduced from). Both
// return false when a font file cannot be opened. The bitmaps must already
// have their final sizes (815 x 500 and 300 x 50, times k).
bool DrawBackground(raster::Bitmap& panel, int k);
bool DrawSelector(raster::Bitmap& selector, int k);
// The product icon at the square bitmap's size: the logo's "B" on the
// panel's black, in a square with rounded corners (transparent outside).
bool DrawIcon(raster::Bitmap& icon);
