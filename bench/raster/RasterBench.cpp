// The editor's drawing costs: the full-panel background copy, the
// source-alpha blit of one selector frame, the other blend paths, decoding
// an image the size of the panel, and drawing a value read-out.
// Pixel rates are reported as items per second (1e9 / rate = ns per pixel).
#include <benchmark/benchmark.h>
#include <png.h>

#include <csetjmp>
#include <vector>

#include "raster/Blit.h"
#include "raster/Font.h"
#include "raster/MemoryBitmap.h"
#include "raster/PngReader.h"
#include "raster/SystemBitmap.h"

namespace {

constexpr int kPanelW = 815, kPanelH = 500;

void FillPattern(raster::Bitmap& b) {
  for (int y = 0; y < b.Height(); ++y)
    for (int x = 0; x < b.Width(); ++x)
      b.Row(y)[x] = raster::PackPixel((x * 7 + y) & 0xFF, x & 0xFF, y & 0xFF, (x ^ y) & 0xFF);
}

void BlitBench(benchmark::State& state, int w, int h, float weight, int mode) {
  raster::MemoryBitmap source(w, h, 4);
  raster::SystemBitmap backing(kPanelW, kPanelH);
  FillPattern(source);
  FillPattern(backing);
  for (auto _ : state) {
    raster::Blit(&backing, &source, 0, 0, 0, 0, w, h, weight, mode);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * w * h);
}

void BM_PanelCopyFullWeight(benchmark::State& s) { BlitBench(s, kPanelW, kPanelH, 1.0f, raster::kBlitCopy); }
void BM_PanelCopyHalfWeight(benchmark::State& s) { BlitBench(s, kPanelW, kPanelH, 0.5f, raster::kBlitCopy); }
void BM_FrameCopyBySourceAlpha(benchmark::State& s) { BlitBench(s, 300, 25, 1.0f, raster::kBlitUseSourceAlpha); }
void BM_FrameCopyBySourceAlphaGreyed(benchmark::State& s) { BlitBench(s, 300, 25, 0.25f, raster::kBlitUseSourceAlpha); }
void BM_FrameAddBySourceAlpha(benchmark::State& s) {
  BlitBench(s, 300, 25, 1.0f, raster::kBlitUseSourceAlpha | raster::kBlitAdd);
}
BENCHMARK(BM_PanelCopyFullWeight);
BENCHMARK(BM_PanelCopyHalfWeight);
BENCHMARK(BM_FrameCopyBySourceAlpha);
BENCHMARK(BM_FrameCopyBySourceAlphaGreyed);
BENCHMARK(BM_FrameAddBySourceAlpha);

void AppendBytes(png_structp png, png_bytep data, png_size_t n) {
  auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + n);
}

// A panel-sized RGBA image with smooth gradients, about as compressible as
// painted artwork.
std::vector<uint8_t> PanelPng() {
  std::vector<uint8_t> file;
  std::vector<uint8_t> pixels(static_cast<size_t>(kPanelW) * kPanelH * 4);
  for (int y = 0; y < kPanelH; ++y)
    for (int x = 0; x < kPanelW; ++x) {
      uint8_t* p = &pixels[(static_cast<size_t>(y) * kPanelW + x) * 4];
      p[0] = static_cast<uint8_t>(x / 4);
      p[1] = static_cast<uint8_t>(y / 2);
      p[2] = static_cast<uint8_t>((x + y) / 8);
      p[3] = (x / 40 + y / 40) % 3 ? 255 : 128;
    }
  std::vector<png_bytep> rows(kPanelH);
  for (int y = 0; y < kPanelH; ++y) rows[y] = &pixels[static_cast<size_t>(y) * kPanelW * 4];
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return {};
  }
  png_set_write_fn(png, &file, AppendBytes, nullptr);
  png_set_IHDR(png, info, kPanelW, kPanelH, 8, PNG_COLOR_TYPE_RGBA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  png_write_image(png, rows.data());
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  return file;
}

void BM_DecodePanelPng(benchmark::State& state) {
  const std::vector<uint8_t> file = PanelPng();
  for (auto _ : state) {
    auto bitmap = raster::ReadPngFromMemory(file.data(), file.size());
    benchmark::DoNotOptimize(bitmap.get());
  }
  state.SetItemsProcessed(state.iterations() * kPanelW * kPanelH);
}
BENCHMARK(BM_DecodePanelPng)->Unit(benchmark::kMillisecond);

void BM_DrawReadout(benchmark::State& state) {
  raster::SystemBitmap backing(kPanelW, kPanelH);
  FillPattern(backing);
  raster::Font font;
  font.SetFont(raster::CreateNativeFont(raster::FontRequest{}), raster::kFontOwnsHandle | raster::kFontSystemRenderer);
  if (!font.Handle()) {
    state.SkipWithError("no font");
    return;
  }
  for (auto _ : state) {
    font.RenderText(&backing, "-12.5 dB", -1, {100, 100, 180, 115}, raster::kTextNoClip | raster::kTextCentre);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_DrawReadout)->Unit(benchmark::kMicrosecond);

}  // namespace
