#include "tools/common/PngWriter.h"

#include <png.h>

#include <cstring>
#include <vector>

bool WritePng(raster::Bitmap& bitmap, const char* path) {
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(bitmap.Width());
  image.height = static_cast<png_uint_32>(bitmap.Height());
  image.format = PNG_FORMAT_RGBA;
  // Pixels are 0xAARRGGBB words; PNG wants the bytes R, G, B, A, top row first.
  std::vector<png_byte> rgba;
  rgba.reserve(static_cast<size_t>(bitmap.Width()) * bitmap.Height() * 4);
  for (int y = 0; y < bitmap.Height(); ++y)
    for (int x = 0; x < bitmap.Width(); ++x) {
      const raster::Pixel p = bitmap.Row(y)[x];
      for (int channel : {raster::kRed, raster::kGreen, raster::kBlue, raster::kAlpha})
        rgba.push_back(static_cast<png_byte>(raster::ChannelOf(p, channel)));
    }
  const bool ok = png_image_write_to_file(&image, path, 0, rgba.data(), 0, nullptr) != 0;
  png_image_free(&image);
  return ok;
}
