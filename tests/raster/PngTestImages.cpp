#include "PngTestImages.h"

#include <zlib.h>

#include <csetjmp>
#include <cstring>

namespace pngtest {
namespace {

void Append(png_structp png, png_bytep data, png_size_t length) {
  auto* out = static_cast<Bytes*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + length);
}
void Flush(png_structp) {}

bool Write(const PngImage& image, Bytes& out, std::vector<png_bytep>& rowPointers) {
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (!info) {
    png_destroy_write_struct(&png, nullptr);
    return false;
  }
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return false;
  }
  png_set_write_fn(png, &out, Append, Flush);
  png_set_IHDR(png, info, image.width, image.height, image.bitDepth, image.colourType,
               image.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  if (!image.palette.empty())
    png_set_PLTE(png, info, image.palette.data(), static_cast<int>(image.palette.size()));
  if (!image.paletteAlpha.empty())
    png_set_tRNS(png, info, image.paletteAlpha.data(), static_cast<int>(image.paletteAlpha.size()), nullptr);
  if (image.hasTransparentColour) png_set_tRNS(png, info, nullptr, 0, &image.transparentColour);
  png_write_info(png, info);
  png_write_image(png, rowPointers.data());
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  return true;
}

}  // namespace

Bytes Encode(const PngImage& image) {
  Bytes out;
  std::vector<png_bytep> rowPointers;
  for (const Bytes& row : image.rows) rowPointers.push_back(const_cast<png_bytep>(row.data()));
  if (!Write(image, out, rowPointers)) out.clear();
  return out;
}

Bytes PackSamples(const std::vector<int>& samples, int bitDepth) {
  Bytes row((samples.size() * bitDepth + 7) / 8, 0);
  for (size_t i = 0; i < samples.size(); ++i) {
    const size_t bit = i * bitDepth;
    row[bit / 8] |= static_cast<uint8_t>(samples[i] << (8 - bitDepth - bit % 8));
  }
  return row;
}

Bytes MakeRgbaPng(int width, int height, int interlaced) {
  PngImage image;
  image.width = width;
  image.height = height;
  image.interlaced = interlaced;
  for (int y = 0; y < height; ++y) {
    Bytes row;
    for (int x = 0; x < width; ++x) {
      row.push_back(static_cast<uint8_t>(x * 37 + y));
      row.push_back(static_cast<uint8_t>(y * 53 + x));
      row.push_back(static_cast<uint8_t>(x ^ y));
      row.push_back(static_cast<uint8_t>((x + y) * 29));
    }
    image.rows.push_back(row);
  }
  return Encode(image);
}

std::vector<Chunk> Chunks(const Bytes& file) {
  std::vector<Chunk> chunks;
  size_t at = 8;
  while (at + 12 <= file.size()) {
    Chunk c{};
    c.offset = at;
    c.length = uint32_t(file[at]) << 24 | uint32_t(file[at + 1]) << 16 | uint32_t(file[at + 2]) << 8 | file[at + 3];
    std::memcpy(c.type, &file[at + 4], 4);
    if (at + 12 + c.length > file.size()) break;
    chunks.push_back(c);
    at += 12 + c.length;
  }
  return chunks;
}

void FixCrc(Bytes& file, const Chunk& chunk) {
  const uLong crc = crc32(crc32(0L, Z_NULL, 0), &file[chunk.offset + 4], chunk.length + 4);
  uint8_t* out = &file[chunk.offset + 8 + chunk.length];
  out[0] = uint8_t(crc >> 24);
  out[1] = uint8_t(crc >> 16);
  out[2] = uint8_t(crc >> 8);
  out[3] = uint8_t(crc);
}

}  // namespace pngtest
