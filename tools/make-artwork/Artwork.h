#pragma once
#include "raster/Bitmap.h"

// The editor's two images. Both return false when a font file cannot be
// opened. The bitmaps must already have their final sizes (815 x 500 and
// 300 x 50).
bool DrawBackground(raster::Bitmap& panel);
bool DrawSelector(raster::Bitmap& selector);
