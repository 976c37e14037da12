#include "raster/PngReader.h"

#include <png.h>

#include <csetjmp>
#include <cstring>
#include <vector>

namespace raster {
namespace {

// Decoded images are at most this many pixels a side and in total; larger
// headers are refused before any storage is made.
constexpr png_uint_32 kMaxSide = 1u << 15;
constexpr unsigned long long kMaxPixels = 1ull << 26;

// Everything that must survive a libpng error long-jump lives here, in the
// caller's frame, so that the unwinding function holds no live C++ objects.
struct Decode {
  const png_byte* data = nullptr;
  size_t size = 0;
  size_t position = 0;
  png_structp png = nullptr;
  png_infop info = nullptr;
  Bitmap* target = nullptr;  // the destination, or `created`
  std::unique_ptr<MemoryBitmap> created;
  std::vector<png_bytep> rows;
};

// Hands libpng the next bytes of the block. Past the end the request is
// zero-filled, which libpng then rejects as a broken chunk.
void ReadFromMemory(png_structp png, png_bytep out, png_size_t length) {
  auto* d = static_cast<Decode*>(png_get_io_ptr(png));
  std::memset(out, 0, length);
  const size_t remaining = d->size - d->position;
  const size_t n = length < remaining ? length : remaining;
  if (n) std::memcpy(out, d->data + d->position, n);
  d->position += n;
}

// A plug-in inside a host has nowhere to print: errors unwind silently,
// warnings are dropped.
[[noreturn]] void OnPngError(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void OnPngWarning(png_structp, png_const_charp) {}

// Requests the conversion of any PNG layout to 8-bit A, R, G, B samples.
void RequestArgb(png_structp png, png_infop info, int bitDepth, int colourType) {
  const bool hasTransparency = png_get_valid(png, info, PNG_INFO_tRNS) != 0;
  if (colourType == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
  if (colourType == PNG_COLOR_TYPE_GRAY && bitDepth < 8) png_set_expand_gray_1_2_4_to_8(png);
  if (hasTransparency) png_set_tRNS_to_alpha(png);
  if (bitDepth == 16) png_set_strip_16(png);
  if (bitDepth < 8) png_set_packing(png);
  if (colourType == PNG_COLOR_TYPE_GRAY || colourType == PNG_COLOR_TYPE_GRAY_ALPHA) png_set_gray_to_rgb(png);
  // A transparency chunk gives alpha to an image whose colour type has none;
  // that alpha must be moved to the front like a real alpha channel, or the
  // filler would be skipped and the channels read one byte out of place.
  if ((colourType & PNG_COLOR_MASK_ALPHA) || hasTransparency) {
    png_set_swap_alpha(png);
  } else {
    png_set_filler(png, 0xFF, PNG_FILLER_BEFORE);
  }
  png_set_interlace_handling(png);
  png_read_update_info(png, info);
}

// Runs libpng; returns false on any failure. Only this frame calls setjmp.
bool Run(Decode& d, Bitmap* destination) {
  d.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, OnPngError, OnPngWarning);
  if (!d.png) return false;
  d.info = png_create_info_struct(d.png);
  if (!d.info) return false;
  if (setjmp(png_jmpbuf(d.png))) return false;

  png_set_read_fn(d.png, &d, ReadFromMemory);
  png_set_user_limits(d.png, kMaxSide, kMaxSide);
  png_read_info(d.png, d.info);
  png_uint_32 width = 0, height = 0;
  int bitDepth = 0, colourType = 0;
  png_get_IHDR(d.png, d.info, &width, &height, &bitDepth, &colourType, nullptr, nullptr, nullptr);
  if (static_cast<unsigned long long>(width) * height > kMaxPixels) return false;
  RequestArgb(d.png, d.info, bitDepth, colourType);
  // Rows are written straight into the bitmap: they must be exactly 4 bytes
  // per pixel whatever the header claimed.
  if (png_get_rowbytes(d.png, d.info) != static_cast<png_size_t>(width) * 4u) return false;

  const int w = static_cast<int>(width), h = static_cast<int>(height);
  if (destination) {
    destination->Resize(w, h);
    if (destination->Width() != w || destination->Height() != h || !destination->Pixels()) return false;
    d.target = destination;
  } else {
    d.created.reset(new MemoryBitmap(w, h, 4));
    if (d.created->Width() != w || d.created->Height() != h) return false;
    d.target = d.created.get();
  }
  d.rows.resize(height);
  for (int y = 0; y < h; ++y) d.rows[y] = reinterpret_cast<png_bytep>(d.target->Row(y));
  png_read_image(d.png, d.rows.data());
  return true;
}

// libpng left each pixel as the bytes A, R, G, B; make them the pixel word.
void ArgbBytesToPixels(Bitmap& bitmap) {
  for (int y = 0; y < bitmap.Height(); ++y) {
    Pixel* row = bitmap.Row(y);
    for (int x = 0; x < bitmap.Width(); ++x) {
      const auto* b = reinterpret_cast<const unsigned char*>(row + x);
      row[x] = PackPixel(b[0], b[1], b[2], b[3]);
    }
  }
}

bool IsPng(const void* data, size_t size) {
  return data && size >= 8 && png_sig_cmp(static_cast<png_const_bytep>(data), 0, 8) == 0;
}

bool DecodeInto(Decode& d, Bitmap* destination) {
  const bool ok = Run(d, destination);
  png_destroy_read_struct(&d.png, &d.info, nullptr);
  if (ok) ArgbBytesToPixels(*d.target);
  return ok;
}

}  // namespace

std::unique_ptr<MemoryBitmap> ReadPngFromMemory(const void* data, size_t size) {
  if (!IsPng(data, size)) return nullptr;
  Decode d;
  d.data = static_cast<const png_byte*>(data);
  d.size = size;
  if (!DecodeInto(d, nullptr)) return nullptr;
  return std::move(d.created);
}

Bitmap* ReadPngFromMemoryInto(const void* data, size_t size, Bitmap& destination) {
  if (!IsPng(data, size)) return nullptr;
  Decode d;
  d.data = static_cast<const png_byte*>(data);
  d.size = size;
  return DecodeInto(d, &destination) ? &destination : nullptr;
}

}  // namespace raster
