#pragma once
#include <cstddef>
#include <memory>

#include "raster/Bitmap.h"
#include "raster/MemoryBitmap.h"

namespace raster {

// Decodes a PNG held in memory into the library's pixel format (bytes B, G,
// R, A; straight alpha). Every colour type and bit depth is accepted: palette
// and grey images are expanded, transparency chunks become alpha, 16-bit
// samples are cut to 8 bits, images without alpha get alpha 255.
//
// Returns null, having released everything it made, for input shorter than
// the signature, input that is not a PNG, any error libpng raises (truncated
// or corrupt data) and images too large to hold.
std::unique_ptr<MemoryBitmap> ReadPngFromMemory(const void* data, size_t size);

// The same into an existing bitmap, which is resized to the image; returns
// the destination, or null when decoding fails or the destination cannot
// take the image's size.
Bitmap* ReadPngFromMemoryInto(const void* data, size_t size, Bitmap& destination);

}  // namespace raster
