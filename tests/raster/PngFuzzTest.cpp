// Mutated PNG files through the reader. Run under the address sanitizer this
// is the check that no input, however broken, makes the reader touch memory
// it does not own or leak what it made.
#include <gtest/gtest.h>

#include <random>

#include "PngTestImages.h"
#include "raster/PngReader.h"
#include "raster/SystemBitmap.h"

namespace {

using pngtest::Bytes;
using pngtest::PngImage;

std::vector<Bytes> Seeds() {
  std::vector<Bytes> seeds = {pngtest::MakeRgbaPng(9, 7), pngtest::MakeRgbaPng(17, 5, true)};
  PngImage palette;
  palette.width = 12;
  palette.height = 4;
  palette.bitDepth = 2;
  palette.colourType = PNG_COLOR_TYPE_PALETTE;
  palette.palette = {{1, 2, 3}, {40, 50, 60}, {200, 0, 9}, {7, 7, 7}};
  palette.paletteAlpha = {0, 99};
  for (int y = 0; y < 4; ++y) palette.rows.push_back(pngtest::PackSamples({0, 1, 2, 3, 3, 2, 1, 0, 1, 1, 2, 2}, 2));
  seeds.push_back(pngtest::Encode(palette));
  PngImage grey;
  grey.width = 6;
  grey.height = 6;
  grey.bitDepth = 16;
  grey.colourType = PNG_COLOR_TYPE_GRAY_ALPHA;
  for (int y = 0; y < 6; ++y) grey.rows.push_back(Bytes(24, static_cast<uint8_t>(y * 40)));
  seeds.push_back(pngtest::Encode(grey));
  return seeds;
}

void Mutate(Bytes& file, std::mt19937& rng) {
  auto pick = [&](size_t n) { return n ? std::uniform_int_distribution<size_t>(0, n - 1)(rng) : 0; };
  const int edits = 1 + static_cast<int>(pick(4));
  for (int e = 0; e < edits && !file.empty(); ++e) {
    switch (pick(6)) {
      case 0: file[pick(file.size())] ^= static_cast<uint8_t>(1u << pick(8)); break;
      case 1: file[pick(file.size())] = static_cast<uint8_t>(rng()); break;
      case 2: file.resize(pick(file.size())); break;
      case 3: file.insert(file.begin() + pick(file.size()), static_cast<uint8_t>(rng())); break;
      case 4: file.erase(file.begin() + pick(file.size())); break;
      default: {  // interesting values in a random position: sizes, lengths
        static const uint32_t kValues[] = {0, 1, 0x7FFFFFFF, 0x80000000, 0xFFFFFFFF, 0x10000, 65535};
        const size_t at = pick(file.size());
        const uint32_t v = kValues[pick(7)];
        for (int k = 0; k < 4 && at + k < file.size(); ++k) file[at + k] = static_cast<uint8_t>(v >> (24 - 8 * k));
      }
    }
  }
  // Half the time make every checksum right again so the damage reaches the
  // header, palette and deflate decoding instead of stopping at a CRC.
  if (pick(2)) {
    for (const auto& c : pngtest::Chunks(file)) pngtest::FixCrc(file, c);
  }
}

TEST(PngReaderFuzz, SixThousandMutatedFilesNeverMisbehave) {
  const std::vector<Bytes> seeds = Seeds();
  for (const Bytes& s : seeds) ASSERT_FALSE(s.empty());
  std::mt19937 rng(20261207);
  int decoded = 0, refused = 0;
  for (int i = 0; i < 6000; ++i) {
    Bytes file = seeds[i % seeds.size()];
    Mutate(file, rng);
    raster::SystemBitmap destination(2, 2);
    raster::Bitmap* result = nullptr;
    std::unique_ptr<raster::MemoryBitmap> created;
    if (i % 3 == 0) {
      result = raster::ReadPngFromMemoryInto(file.data(), file.size(), destination);
    } else {
      created = raster::ReadPngFromMemory(file.data(), file.size());
      result = created.get();
    }
    if (!result) {
      ++refused;
      continue;
    }
    ++decoded;
    ASSERT_GT(result->Width(), 0);
    ASSERT_GT(result->Height(), 0);
    // Every pixel must be readable (the sanitizer checks the addresses).
    raster::Pixel mix = 0;
    for (int y = 0; y < result->Height(); ++y)
      for (int x = 0; x < result->Width(); ++x) mix ^= result->Row(y)[x];
    (void)mix;
  }
  RecordProperty("decoded", decoded);
  RecordProperty("refused", refused);
  // Both outcomes must occur, or the mutations are not reaching the decoder.
  EXPECT_GT(decoded, 100);
  EXPECT_GT(refused, 1000);
}

}  // namespace
