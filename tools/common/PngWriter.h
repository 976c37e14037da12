#pragma once
#include "raster/Bitmap.h"

// Writes the bitmap as an 8-bit RGBA PNG; false when libpng fails.
bool WritePng(raster::Bitmap& bitmap, const char* path);
