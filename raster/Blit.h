#pragma once
#include "raster/Bitmap.h"

namespace raster {

// Blit modes: the low byte picks the operation, kUseSourceAlpha weights every
// pixel by its source alpha as well.
enum BlitMode : int {
  kBlitCopy = 0,
  kBlitAdd = 1,
  kBlitDodge = 2,
  kBlitMultiply = 3,
  kBlitOperationMask = 0xFF,
  // 0xF0 | source channel | destination channel << 2: copies one byte lane.
  kBlitChannelCopy = 0xF0,
  kBlitUseSourceAlpha = 0x10000,
};

// Copies the width x height block at (srcX, srcY) of source to (dstX, dstY)
// of destination, blended by mode and weight (1.0 = full strength). The block
// is clipped to both bitmaps; parts outside either are skipped while the rest
// stays in place. Does nothing without both bitmaps, at weight 0, or when
// nothing is left after clipping. Weights above 1 act as 1 for the copy and
// multiply rules, whose arithmetic assumes at most full strength.
void Blit(Bitmap* destination, Bitmap* source, int dstX, int dstY, int srcX, int srcY, int width,
          int height, float weight, int mode);

}  // namespace raster
