#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "PngTestImages.h"
#include "raster/PngReader.h"
#include "raster/SystemBitmap.h"

namespace {

using pngtest::Bytes;
using pngtest::PngImage;
using raster::PackPixel;
using raster::Pixel;

// Expected pixel of the image at (x, y).
using Expected = std::function<Pixel(int x, int y)>;

void ExpectDecodesTo(const Bytes& file, int w, int h, const Expected& expected) {
  ASSERT_FALSE(file.empty());
  auto bitmap = raster::ReadPngFromMemory(file.data(), file.size());
  ASSERT_NE(bitmap, nullptr);
  ASSERT_EQ(bitmap->Width(), w);
  ASSERT_EQ(bitmap->Height(), h);
  EXPECT_EQ(bitmap->RowSpan(), (w + 3) & ~3);  // alignment 4
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      ASSERT_EQ(bitmap->Row(y)[x], expected(x, y)) << "at " << x << "," << y << std::hex << " got "
                                                   << bitmap->Row(y)[x] << " want " << expected(x, y);
}

PngImage Blank(int w, int h, int depth, int type) {
  PngImage image;
  image.width = w;
  image.height = h;
  image.bitDepth = depth;
  image.colourType = type;
  return image;
}

uint8_t Sample(int x, int y, int salt) { return static_cast<uint8_t>(x * 31 + y * 17 + salt * 71); }

TEST(PngReader, RgbaKeepsStraightAlphaAndStoresBgraBytes) {
  PngImage image = Blank(7, 5, 8, PNG_COLOR_TYPE_RGBA);
  for (int y = 0; y < 5; ++y) {
    Bytes row;
    for (int x = 0; x < 7; ++x) row.insert(row.end(), {Sample(x, y, 0), Sample(x, y, 1), Sample(x, y, 2), Sample(x, y, 3)});
    image.rows.push_back(row);
  }
  const Bytes file = pngtest::Encode(image);
  ExpectDecodesTo(file, 7, 5, [](int x, int y) {
    return PackPixel(Sample(x, y, 3), Sample(x, y, 0), Sample(x, y, 1), Sample(x, y, 2));
  });
  auto bitmap = raster::ReadPngFromMemory(file.data(), file.size());
  const auto* bytes = reinterpret_cast<const uint8_t*>(bitmap->Row(1) + 2);
  EXPECT_EQ(bytes[0], Sample(2, 1, 2));  // blue first in memory
  EXPECT_EQ(bytes[1], Sample(2, 1, 1));
  EXPECT_EQ(bytes[2], Sample(2, 1, 0));
  EXPECT_EQ(bytes[3], Sample(2, 1, 3));
}

TEST(PngReader, SixteenBitRgbaKeepsTheHighBytes) {
  PngImage image = Blank(3, 2, 16, PNG_COLOR_TYPE_RGBA);
  for (int y = 0; y < 2; ++y) {
    Bytes row;
    for (int x = 0; x < 3; ++x)
      for (int c = 0; c < 4; ++c) row.insert(row.end(), {Sample(x, y, c), static_cast<uint8_t>(0xFF - c)});
    image.rows.push_back(row);
  }
  ExpectDecodesTo(pngtest::Encode(image), 3, 2, [](int x, int y) {
    return PackPixel(Sample(x, y, 3), Sample(x, y, 0), Sample(x, y, 1), Sample(x, y, 2));
  });
}

TEST(PngReader, RgbWithoutAlphaIsOpaque) {
  PngImage image = Blank(5, 3, 8, PNG_COLOR_TYPE_RGB);
  for (int y = 0; y < 3; ++y) {
    Bytes row;
    for (int x = 0; x < 5; ++x) row.insert(row.end(), {Sample(x, y, 0), Sample(x, y, 1), Sample(x, y, 2)});
    image.rows.push_back(row);
  }
  ExpectDecodesTo(pngtest::Encode(image), 5, 3,
                  [](int x, int y) { return PackPixel(255, Sample(x, y, 0), Sample(x, y, 1), Sample(x, y, 2)); });
}

TEST(PngReader, RgbTransparentColourBecomesAlphaZero) {
  PngImage image = Blank(4, 1, 8, PNG_COLOR_TYPE_RGB);
  image.rows.push_back({1, 2, 3, 9, 9, 9, 1, 2, 3, 1, 2, 4});
  image.hasTransparentColour = true;
  image.transparentColour.red = 1;
  image.transparentColour.green = 2;
  image.transparentColour.blue = 3;
  const Pixel want[] = {PackPixel(0, 1, 2, 3), PackPixel(255, 9, 9, 9), PackPixel(0, 1, 2, 3), PackPixel(255, 1, 2, 4)};
  ExpectDecodesTo(pngtest::Encode(image), 4, 1, [&](int x, int) { return want[x]; });
}

std::vector<png_color> TestPalette() {
  return {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {10, 20, 30}, {200, 100, 50}};
}

Bytes PalettePng(int depth, const Bytes& alpha, std::vector<int>& indices) {
  PngImage image = Blank(9, 2, depth, PNG_COLOR_TYPE_PALETTE);
  image.palette = TestPalette();
  image.paletteAlpha = alpha;
  for (int y = 0; y < 2; ++y) {
    std::vector<int> row;
    for (int x = 0; x < 9; ++x) row.push_back((x + y) % 5);
    indices.insert(indices.end(), row.begin(), row.end());
    image.rows.push_back(depth == 8 ? Bytes(row.begin(), row.end()) : pngtest::PackSamples(row, depth));
  }
  return pngtest::Encode(image);
}

TEST(PngReader, PaletteWithoutTransparencyIsOpaque) {
  for (int depth : {4, 8}) {
    std::vector<int> indices;
    const Bytes file = PalettePng(depth, {}, indices);
    ExpectDecodesTo(file, 9, 2, [&](int x, int y) {
      const png_color c = TestPalette()[indices[y * 9 + x]];
      return PackPixel(255, c.red, c.green, c.blue);
    });
  }
}

TEST(PngReader, PaletteTransparencyEntriesBecomeAlpha) {
  // Entries past the end of the transparency chunk stay opaque.
  const Bytes alpha = {0, 128, 255};
  for (int depth : {4, 8}) {
    std::vector<int> indices;
    const Bytes file = PalettePng(depth, alpha, indices);
    ExpectDecodesTo(file, 9, 2, [&](int x, int y) {
      const int i = indices[y * 9 + x];
      const png_color c = TestPalette()[i];
      return PackPixel(i < 3 ? alpha[i] : 255, c.red, c.green, c.blue);
    });
  }
}

TEST(PngReader, LowDepthGreyExpandsToFullRange) {
  for (int depth : {1, 2, 4}) {
    const int levels = 1 << depth;
    PngImage image = Blank(11, 3, depth, PNG_COLOR_TYPE_GRAY);
    std::vector<int> all;
    for (int y = 0; y < 3; ++y) {
      std::vector<int> row;
      for (int x = 0; x < 11; ++x) row.push_back((x + 3 * y) % levels);
      all.insert(all.end(), row.begin(), row.end());
      image.rows.push_back(pngtest::PackSamples(row, depth));
    }
    SCOPED_TRACE(depth);
    ExpectDecodesTo(pngtest::Encode(image), 11, 3, [&](int x, int y) {
      const int v = all[y * 11 + x] * 255 / (levels - 1);
      return PackPixel(255, v, v, v);
    });
  }
}

TEST(PngReader, EightAndSixteenBitGrey) {
  PngImage grey8 = Blank(6, 2, 8, PNG_COLOR_TYPE_GRAY);
  PngImage grey16 = Blank(6, 2, 16, PNG_COLOR_TYPE_GRAY);
  for (int y = 0; y < 2; ++y) {
    Bytes row8, row16;
    for (int x = 0; x < 6; ++x) {
      row8.push_back(Sample(x, y, 0));
      row16.insert(row16.end(), {Sample(x, y, 0), 0xC3});
    }
    grey8.rows.push_back(row8);
    grey16.rows.push_back(row16);
  }
  const Expected want = [](int x, int y) { return PackPixel(255, Sample(x, y, 0), Sample(x, y, 0), Sample(x, y, 0)); };
  ExpectDecodesTo(pngtest::Encode(grey8), 6, 2, want);
  ExpectDecodesTo(pngtest::Encode(grey16), 6, 2, want);
}

TEST(PngReader, GreyTransparentValueBecomesAlphaZero) {
  PngImage image = Blank(3, 1, 8, PNG_COLOR_TYPE_GRAY);
  image.rows.push_back({7, 8, 7});
  image.hasTransparentColour = true;
  image.transparentColour.gray = 7;
  const Pixel want[] = {PackPixel(0, 7, 7, 7), PackPixel(255, 8, 8, 8), PackPixel(0, 7, 7, 7)};
  ExpectDecodesTo(pngtest::Encode(image), 3, 1, [&](int x, int) { return want[x]; });
}

TEST(PngReader, GreyWithAlpha) {
  PngImage image = Blank(5, 2, 8, PNG_COLOR_TYPE_GRAY_ALPHA);
  for (int y = 0; y < 2; ++y) {
    Bytes row;
    for (int x = 0; x < 5; ++x) row.insert(row.end(), {Sample(x, y, 0), Sample(x, y, 1)});
    image.rows.push_back(row);
  }
  ExpectDecodesTo(pngtest::Encode(image), 5, 2, [](int x, int y) {
    return PackPixel(Sample(x, y, 1), Sample(x, y, 0), Sample(x, y, 0), Sample(x, y, 0));
  });
}

TEST(PngReader, InterlacedMatchesProgressive) {
  const Bytes plain = pngtest::MakeRgbaPng(13, 9, false);
  const Bytes interlaced = pngtest::MakeRgbaPng(13, 9, true);
  auto a = raster::ReadPngFromMemory(plain.data(), plain.size());
  ASSERT_NE(a, nullptr);
  ExpectDecodesTo(interlaced, 13, 9, [&](int x, int y) { return a->Row(y)[x]; });
}

TEST(PngReader, DecodesIntoAGivenDestination) {
  const Bytes file = pngtest::MakeRgbaPng(10, 6);
  auto reference = raster::ReadPngFromMemory(file.data(), file.size());
  ASSERT_NE(reference, nullptr);
  raster::SystemBitmap target(3, 3);
  ASSERT_EQ(raster::ReadPngFromMemoryInto(file.data(), file.size(), target), &target);
  ASSERT_EQ(target.Width(), 10);
  ASSERT_EQ(target.Height(), 6);
  EXPECT_EQ(target.RowSpan(), 12);
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 10; ++x) ASSERT_EQ(target.Row(y)[x], reference->Row(y)[x]);
}

// A bitmap stuck at one size, like one whose storage cannot grow.
class FixedSizeBitmap final : public raster::Bitmap {
 public:
  Pixel* Pixels() override { return pixels_; }
  int Width() const override { return 2; }
  int Height() const override { return 2; }
  int RowSpan() const override { return 2; }
  bool IsFlipped() const override { return false; }
  bool Resize(int, int) override { return false; }
  raster::DeviceContext Context() override { return nullptr; }

 private:
  Pixel pixels_[4] = {};
};

TEST(PngReader, DestinationThatCannotTakeTheSizeGivesNothing) {
  const Bytes file = pngtest::MakeRgbaPng(10, 6);
  FixedSizeBitmap fixed;
  EXPECT_EQ(raster::ReadPngFromMemoryInto(file.data(), file.size(), fixed), nullptr);
  EXPECT_EQ(fixed.Pixels()[3], 0u);
  const Bytes fits = pngtest::MakeRgbaPng(2, 2);
  EXPECT_EQ(raster::ReadPngFromMemoryInto(fits.data(), fits.size(), fixed), &fixed);
}

TEST(PngReader, ShortAndForeignInputGiveNothing) {
  const Bytes file = pngtest::MakeRgbaPng(4, 4);
  EXPECT_EQ(raster::ReadPngFromMemory(nullptr, 100), nullptr);
  EXPECT_EQ(raster::ReadPngFromMemory(file.data(), 0), nullptr);
  EXPECT_EQ(raster::ReadPngFromMemory(file.data(), 7), nullptr);
  EXPECT_EQ(raster::ReadPngFromMemory(file.data(), 8), nullptr);  // signature only
  const char gif[] = "GIF89a\x01\x00\x01\x00\x00\x00\x00;";
  EXPECT_EQ(raster::ReadPngFromMemory(gif, sizeof gif), nullptr);
  Bytes almost = file;
  almost[1] = 'Q';
  EXPECT_EQ(raster::ReadPngFromMemory(almost.data(), almost.size()), nullptr);
}

TEST(PngReader, EveryTruncationInsideTheImageDataGivesNothing) {
  const Bytes file = pngtest::MakeRgbaPng(16, 16);
  size_t dataEnd = 0;
  for (const auto& c : pngtest::Chunks(file))
    if (std::strcmp(c.type, "IDAT") == 0) dataEnd = c.offset + 8 + c.length;
  ASSERT_GT(dataEnd, 0u);
  for (size_t n = 8; n < dataEnd; ++n) {
    raster::SystemBitmap target(1, 1);
    ASSERT_EQ(raster::ReadPngFromMemory(file.data(), n), nullptr) << n;
    ASSERT_EQ(raster::ReadPngFromMemoryInto(file.data(), n, target), nullptr) << n;
  }
  EXPECT_NE(raster::ReadPngFromMemory(file.data(), file.size()), nullptr);
}

TEST(PngReader, CorruptChunksGiveNothing) {
  const Bytes file = pngtest::MakeRgbaPng(16, 16);
  const auto chunks = pngtest::Chunks(file);
  ASSERT_STREQ(chunks[0].type, "IHDR");
  for (const auto& c : chunks) {
    if (std::strcmp(c.type, "IEND") == 0) continue;
    Bytes bad = file;
    bad[c.offset + 8] ^= 0x40;  // first data byte, CRC now wrong
    EXPECT_EQ(raster::ReadPngFromMemory(bad.data(), bad.size()), nullptr) << c.type;
  }
  // Deflate data that is garbage even with a valid checksum.
  Bytes garbage = file;
  for (const auto& c : chunks) {
    if (std::strcmp(c.type, "IDAT") != 0) continue;
    for (uint32_t i = 2; i < c.length; ++i) garbage[c.offset + 8 + i] = static_cast<uint8_t>(i * 91);
    pngtest::FixCrc(garbage, c);
  }
  EXPECT_EQ(raster::ReadPngFromMemory(garbage.data(), garbage.size()), nullptr);
}

TEST(PngReader, OversizedHeaderIsRefusedBeforeAllocating) {
  Bytes file = pngtest::MakeRgbaPng(4, 4);
  const auto ihdr = pngtest::Chunks(file)[0];
  for (uint32_t side : {100000u, 20000u}) {
    for (int k = 0; k < 2; ++k) {  // width, then height too
      uint8_t* field = &file[ihdr.offset + 8 + 4 * k];
      field[0] = uint8_t(side >> 24);
      field[1] = uint8_t(side >> 16);
      field[2] = uint8_t(side >> 8);
      field[3] = uint8_t(side);
    }
    pngtest::FixCrc(file, ihdr);
    EXPECT_EQ(raster::ReadPngFromMemory(file.data(), file.size()), nullptr) << side;
  }
}

}  // namespace
