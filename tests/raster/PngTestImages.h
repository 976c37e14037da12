#pragma once
// PNG files made by the tests themselves through libpng's writer.
#include <png.h>

#include <cstdint>
#include <vector>

namespace pngtest {

using Bytes = std::vector<uint8_t>;

struct PngImage {
  int width = 0;
  int height = 0;
  int bitDepth = 8;
  int colourType = PNG_COLOR_TYPE_RGBA;
  bool interlaced = false;
  std::vector<Bytes> rows;  // packed exactly as stored in the file (16-bit big-endian)
  std::vector<png_color> palette;
  Bytes paletteAlpha;             // tRNS for palette images
  bool hasTransparentColour = false;
  png_color_16 transparentColour{};  // tRNS for grey and RGB images
};

Bytes Encode(const PngImage& image);

// Packs sub-byte samples (1, 2 or 4 bits) left to right, high bits first.
Bytes PackSamples(const std::vector<int>& samples, int bitDepth);

// A small RGBA image with varied colours and alphas, as file bytes.
Bytes MakeRgbaPng(int width, int height, int interlaced = false);

// Chunks of an encoded file: offset of each chunk's length field.
struct Chunk {
  size_t offset;
  uint32_t length;
  char type[5];
};
std::vector<Chunk> Chunks(const Bytes& file);
// Recomputes the CRC of the chunk at offset (after editing its data).
void FixCrc(Bytes& file, const Chunk& chunk);

}  // namespace pngtest
