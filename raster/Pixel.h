#pragma once
#include <cstdint>

namespace raster {

// One pixel: 0xAARRGGBB held in a 32-bit word, so a little-endian machine
// stores the bytes B, G, R, A. Colours are straight, never premultiplied.
using Pixel = uint32_t;

// Channel numbers double as byte positions within the pixel word.
enum Channel : int { kBlue = 0, kGreen = 1, kRed = 2, kAlpha = 3 };

constexpr int ChannelOf(Pixel p, int channel) { return static_cast<int>((p >> (8 * channel)) & 0xFFu); }

constexpr Pixel PackPixel(int a, int r, int g, int b) {
  return (static_cast<Pixel>(a & 0xFF) << 24) | (static_cast<Pixel>(r & 0xFF) << 16) |
         (static_cast<Pixel>(g & 0xFF) << 8) | static_cast<Pixel>(b & 0xFF);
}

constexpr int ClampByte(int v) { return v < 0 ? 0 : (v > 255 ? 255 : v); }

}  // namespace raster
