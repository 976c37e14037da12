#pragma once
#include "raster/Bitmap.h"

// The small platform layer under SystemBitmap: a drawing context and the
// pixel block selected into it. Windows backs it with a memory DC and a DIB
// section; elsewhere it is plain memory and the context stays null.
namespace raster::platform {

struct Surface {
  bool open = false;                 // the context exists
  DeviceContext context = nullptr;   // null where there is no native context
  Pixel* pixels = nullptr;
  void* section = nullptr;           // native pixel block (DIB handle or memory)
  void* previousSelection = nullptr; // what the context held before it
};

// Creates the context; false when the system refuses one.
bool OpenSurface(Surface& surface);
// Releases pixels and context, restoring the context's original selection.
void CloseSurface(Surface& surface);
// Makes a 32-bit block of width x height pixels (top-down unless flipped)
// and selects it; false, with no pixels, when it cannot be made.
bool CreateSurfacePixels(Surface& surface, int width, int height, bool flipped);
void DestroySurfacePixels(Surface& surface);

}  // namespace raster::platform
