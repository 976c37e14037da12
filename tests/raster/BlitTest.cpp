#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "raster/Blit.h"
#include "raster/MemoryBitmap.h"
#include "raster/SystemBitmap.h"

namespace {

using raster::Blit;
using raster::MemoryBitmap;
using raster::PackPixel;
using raster::Pixel;

// Blends one source pixel onto one destination pixel.
Pixel BlendOne(Pixel s, Pixel d, float weight, int mode) {
  MemoryBitmap src(1, 1), dst(1, 1);
  src.Pixels()[0] = s;
  dst.Pixels()[0] = d;
  Blit(&dst, &src, 0, 0, 0, 0, 1, 1, weight, mode);
  return dst.Pixels()[0];
}

#define EXPECT_PIXEL(actual, a, r, g, b) EXPECT_EQ(actual, PackPixel(a, r, g, b)) << std::hex << (actual)

constexpr int kAlpha = raster::kBlitUseSourceAlpha;

TEST(BlitRules, PlainCopy) {
  EXPECT_EQ(BlendOne(0x01020304u, 0xFFFFFFFFu, 1.0f, 0), 0x01020304u);
  // Half weight: each byte halved with its lowest bit dropped, then summed.
  EXPECT_PIXEL(BlendOne(PackPixel(255, 255, 128, 1), PackPixel(0, 0, 129, 3), 0.5f, 0), 127, 127, 128, 1);
  // 0.75 -> iw 192: s + (d - s) * 64 / 256, truncated toward zero.
  EXPECT_PIXEL(BlendOne(PackPixel(200, 10, 0, 3), PackPixel(100, 250, 3, 0), 0.75f, 0), 175, 70, 0, 3);
  // Weights above 1 copy as at 1.
  EXPECT_EQ(BlendOne(0x80402010u, 0xFFFFFFFFu, 2.0f, 0), 0x80402010u);
}

TEST(BlitRules, AddClampsEveryByte) {
  EXPECT_PIXEL(BlendOne(PackPixel(100, 200, 10, 0), PackPixel(100, 100, 250, 7), 1.0f, raster::kBlitAdd), 200, 255,
               255, 7);
  EXPECT_PIXEL(BlendOne(PackPixel(101, 255, 3, 0), PackPixel(10, 200, 250, 255), 0.5f, raster::kBlitAdd), 60, 255,
               251, 255);
  // Above full weight the addition is stronger, not capped.
  EXPECT_PIXEL(BlendOne(PackPixel(10, 10, 10, 10), PackPixel(5, 5, 5, 5), 2.0f, raster::kBlitAdd), 25, 25, 25, 25);
}

TEST(BlitRules, ColourDodge) {
  EXPECT_PIXEL(BlendOne(PackPixel(0, 128, 254, 255), PackPixel(77, 100, 1, 0), 1.0f, raster::kBlitDodge), 77, 200,
               128, 0);
  EXPECT_PIXEL(BlendOne(PackPixel(0, 128, 254, 255), PackPixel(77, 100, 100, 100), 1.0f, raster::kBlitDodge), 77,
               200, 255, 255);
  // Half weight: x = 200 * 128 / 256 = 100; 78 * 256 / 156 = 128.
  EXPECT_PIXEL(BlendOne(PackPixel(200, 200, 200, 200), PackPixel(78, 78, 78, 78), 0.5f, raster::kBlitDodge), 128,
               128, 128, 128);
}

TEST(BlitRules, Multiply) {
  EXPECT_PIXEL(BlendOne(PackPixel(255, 128, 0, 1), PackPixel(255, 100, 200, 255), 1.0f, raster::kBlitMultiply), 254,
               50, 0, 0);
  EXPECT_PIXEL(BlendOne(PackPixel(0, 255, 0, 0), PackPixel(200, 255, 0, 1), 0.5f, raster::kBlitMultiply), 100, 254,
               0, 0);
}

TEST(BlitRules, CopyBySourceAlphaAtFullWeight) {
  const Pixel d = PackPixel(10, 0, 255, 40);
  EXPECT_EQ(BlendOne(PackPixel(0, 255, 255, 255), d, 1.0f, kAlpha), d);
  EXPECT_PIXEL(BlendOne(PackPixel(255, 1, 2, 3), PackPixel(0, 9, 9, 9), 1.0f, kAlpha), 255, 1, 2, 3);
  // 255 + (0 - 255) * 127 / 256 = 129 and 0 + 255 * 127 / 256 = 126; alpha adds.
  EXPECT_PIXEL(BlendOne(PackPixel(128, 255, 0, 40), d, 1.0f, kAlpha), 138, 129, 126, 40);
  EXPECT_EQ(raster::ChannelOf(BlendOne(PackPixel(128, 0, 0, 0), PackPixel(200, 0, 0, 0), 1.0f, kAlpha), 3), 255);
}

TEST(BlitRules, CopyBySourceAlphaAtPartialWeight) {
  // k = 128 * 129 / 256 = 64; colours keep (256 - 64) / 256 of the distance.
  EXPECT_PIXEL(BlendOne(PackPixel(128, 255, 0, 7), PackPixel(10, 0, 255, 7), 0.5f, kAlpha), 74, 64, 191, 7);
  // Opaque source at half weight is a half blend, not a replacement.
  EXPECT_PIXEL(BlendOne(PackPixel(255, 255, 255, 255), PackPixel(0, 0, 0, 0), 0.5f, kAlpha), 128, 128, 128, 128);
  EXPECT_EQ(BlendOne(PackPixel(0, 255, 255, 255), 0x11223344u, 0.5f, kAlpha), 0x11223344u);
}

TEST(BlitRules, AddBySourceAlpha) {
  EXPECT_PIXEL(BlendOne(PackPixel(128, 200, 255, 0), PackPixel(20, 10, 200, 7), 1.0f, kAlpha | raster::kBlitAdd), 84,
               110, 255, 7);
  EXPECT_EQ(BlendOne(PackPixel(0, 255, 255, 255), 0x11223344u, 1.0f, kAlpha | raster::kBlitAdd), 0x11223344u);
}

TEST(BlitRules, DodgeBySourceAlpha) {
  EXPECT_PIXEL(BlendOne(PackPixel(255, 128, 0, 64), PackPixel(0, 100, 50, 96), 1.0f, kAlpha | raster::kBlitDodge), 0,
               200, 50, 128);
  EXPECT_PIXEL(BlendOne(PackPixel(127, 255, 0, 0), PackPixel(96, 100, 50, 7), 1.0f, kAlpha | raster::kBlitDodge), 127,
               198, 50, 7);
}

TEST(BlitRules, ChannelCopyMovesOneByte) {
  const Pixel s = PackPixel(1, 2, 3, 4), d = PackPixel(9, 9, 9, 9);
  EXPECT_PIXEL(BlendOne(s, d, 1.0f, 0xF0 | 2), 9, 9, 9, 2);             // red into blue
  EXPECT_PIXEL(BlendOne(s, d, 1.0f, 0xF0 | 3 | (1 << 2)), 9, 9, 1, 9);  // alpha into green
}

TEST(BlitRules, NothingHappensWithoutBothBitmapsOrWeight) {
  const Pixel d = 0x55667788u;
  EXPECT_EQ(BlendOne(0xFFFFFFFFu, d, 0.0f, 0), d);
  EXPECT_EQ(BlendOne(0xFFFFFFFFu, d, -1.0f, raster::kBlitAdd), d);
  EXPECT_EQ(BlendOne(0xFFFFFFFFu, d, std::nanf(""), raster::kBlitAdd), d);
  EXPECT_EQ(BlendOne(0xFFFFFFFFu, d, 1.0f / 512, raster::kBlitAdd), d);  // iw 0
  EXPECT_EQ(BlendOne(0xFFFFFFFFu, d, 1.0f, 4), d);                      // no such operation
  MemoryBitmap b(2, 2), empty(0, 0);
  b.Pixels()[0] = d;
  Blit(&b, nullptr, 0, 0, 0, 0, 2, 2, 1.0f, 0);
  Blit(nullptr, &b, 0, 0, 0, 0, 2, 2, 1.0f, 0);
  Blit(&b, &empty, 0, 0, 0, 0, 2, 2, 1.0f, 0);
  Blit(&empty, &b, 0, 0, 0, 0, 2, 2, 1.0f, 0);
  EXPECT_EQ(b.Pixels()[0], d);
}

// Source pixels carry their own coordinates so clipping errors show up.
Pixel Tag(int x, int y) { return 0xFF000000u | static_cast<Pixel>(y << 8 | x); }

class BlitClip : public ::testing::Test {
 protected:
  void SetUp() override { Fill(src_, 20, 10); }
  static void Fill(MemoryBitmap& b, int w, int h) {
    b.Resize(w, h);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) b.Row(y)[x] = Tag(x, y);
  }
  static void Clear(raster::Bitmap& b) {
    for (int y = 0; y < b.Height(); ++y)
      for (int x = 0; x < b.Width(); ++x) b.Row(y)[x] = 0;
  }
  // Every destination pixel is either untouched (0) or the expected tag.
  template <typename Expect>
  static void Check(raster::Bitmap& dst, Expect expect) {
    for (int y = 0; y < dst.Height(); ++y)
      for (int x = 0; x < dst.Width(); ++x) ASSERT_EQ(dst.Row(y)[x], expect(x, y)) << x << "," << y;
  }
  MemoryBitmap src_;
};

TEST_F(BlitClip, NegativeDestinationPointSkipsTheHiddenPart) {
  MemoryBitmap dst(30, 30);
  Clear(dst);
  Blit(&dst, &src_, -10, -5, 0, 0, 20, 10, 1.0f, 0);
  Check(dst, [](int x, int y) { return x < 10 && y < 5 ? Tag(x + 10, y + 5) : 0u; });
}

TEST_F(BlitClip, SourceLargerThanDestinationIsCutAtRightAndBottom) {
  MemoryBitmap big, dst(10, 8);
  Fill(big, 50, 50);
  Clear(dst);
  Blit(&dst, &big, 3, 2, 0, 0, 50, 50, 1.0f, kAlpha);
  Check(dst, [](int x, int y) { return x >= 3 && y >= 2 ? Tag(x - 3, y - 2) : 0u; });
}

TEST_F(BlitClip, NegativeSourcePointMovesTheDestinationToo) {
  MemoryBitmap dst(12, 12);
  Clear(dst);
  Blit(&dst, &src_, 0, 0, -4, -2, 10, 10, 1.0f, 0);
  // Source columns 0..5 and rows 0..7 land 4 right, 2 down.
  Check(dst, [](int x, int y) { return x >= 4 && x < 10 && y >= 2 && y < 10 ? Tag(x - 4, y - 2) : 0u; });
}

TEST_F(BlitClip, RectangleIsLimitedToTheSource) {
  MemoryBitmap dst(30, 30);
  Clear(dst);
  Blit(&dst, &src_, 1, 1, 15, 0, 100, 100, 0.5f, 0);  // averaging path
  Check(dst, [](int x, int y) {
    if (x < 1 || x >= 6 || y < 1 || y >= 11) return 0u;
    const Pixel s = Tag(x + 14, y - 1);
    return (s >> 1) & 0x7F7F7F7Fu;
  });
}

TEST_F(BlitClip, OutsideEitherBitmapCopiesNothing) {
  MemoryBitmap dst(8, 8);
  Clear(dst);
  Blit(&dst, &src_, 8, 0, 0, 0, 5, 5, 1.0f, 0);
  Blit(&dst, &src_, 0, -10, 0, 0, 5, 10, 1.0f, 0);
  Blit(&dst, &src_, 0, 0, 20, 0, 5, 5, 1.0f, 0);
  Blit(&dst, &src_, 0, 0, 0, 0, -5, 5, 1.0f, 0);
  Blit(&dst, &src_, 0x7FFFFFF0, 0, 0x7FFFFFF0, 0, 0x7FFFFFF0, 5, 1.0f, 0);  // no overflow
  Check(dst, [](int, int) { return 0u; });
}

TEST_F(BlitClip, OverlappingCopyWithinOneBitmapReadsTheOriginal) {
  Blit(&src_, &src_, 1, 1, 0, 0, 20, 10, 1.0f, 0);
  EXPECT_EQ(src_.Row(0)[5], Tag(5, 0));
  EXPECT_EQ(src_.Row(1)[1], Tag(0, 0));
  EXPECT_EQ(src_.Row(9)[19], Tag(18, 8));
  // Per-pixel path, rightward along one row: each pixel averages the
  // original neighbour, not one already blended.
  Blit(&src_, &src_, 1, 0, 0, 0, 19, 1, 0.5f, 0);
  for (int x = 1; x < 20; ++x)
    EXPECT_EQ(src_.Row(0)[x], ((Tag(x - 1, 0) >> 1) & 0x7F7F7F7Fu) + ((Tag(x, 0) >> 1) & 0x7F7F7F7Fu)) << x;
}

TEST_F(BlitClip, IntoASystemBitmapUsesItsRowSpan) {
  raster::SystemBitmap dst(7, 3);  // span 8
  Clear(dst);
  Blit(&dst, &src_, 0, 0, 2, 3, 7, 3, 1.0f, 0);
  Check(dst, [](int x, int y) { return Tag(x + 2, y + 3); });
}

// A memory bitmap that stores its rows bottom-up.
class FlippedBitmap final : public raster::Bitmap {
 public:
  FlippedBitmap(int w, int h) : store_(w, h) {}
  Pixel* Pixels() override { return store_.Pixels(); }
  int Width() const override { return store_.Width(); }
  int Height() const override { return store_.Height(); }
  int RowSpan() const override { return store_.RowSpan(); }
  bool IsFlipped() const override { return true; }
  bool Resize(int w, int h) override { return store_.Resize(w, h); }
  raster::DeviceContext Context() override { return nullptr; }

 private:
  MemoryBitmap store_;
};

TEST_F(BlitClip, FlippedBitmapsAreAddressedFromTheirLastStoredRow) {
  FlippedBitmap flipped(20, 10);
  Blit(&flipped, &src_, 0, 0, 0, 0, 20, 10, 1.0f, 0);
  EXPECT_EQ(flipped.Pixels()[0], Tag(0, 9));  // top row stored last
  MemoryBitmap back(20, 10);
  Clear(back);
  Blit(&back, &flipped, 0, 0, 0, 0, 20, 10, 0.9999f, 0);  // per-pixel path
  Check(back, [](int x, int y) { return Tag(x, y); });
}

}  // namespace
