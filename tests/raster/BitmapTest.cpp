#include <gtest/gtest.h>

#include <climits>
#include <cstdint>

#include "raster/MemoryBitmap.h"
#include "raster/SystemBitmap.h"

namespace {

using raster::MemoryBitmap;
using raster::SystemBitmap;

TEST(MemoryBitmap, RowSpanRoundsWidthUpToTheAlignment) {
  EXPECT_EQ(MemoryBitmap(5, 1, 4).RowSpan(), 8);
  EXPECT_EQ(MemoryBitmap(8, 1, 4).RowSpan(), 8);
  EXPECT_EQ(MemoryBitmap(5, 1, 1).RowSpan(), 5);
  EXPECT_EQ(MemoryBitmap(5, 1, 0).RowSpan(), 5);
  EXPECT_EQ(MemoryBitmap(17, 1, 16).RowSpan(), 32);
  EXPECT_EQ(MemoryBitmap(3, 1, 2).RowSpan(), 4);
  // Alignments that are not powers of two round up; beyond 16 act as 16.
  EXPECT_EQ(MemoryBitmap(5, 1, 3).RowSpan(), 8);
  EXPECT_EQ(MemoryBitmap(5, 1, 64).RowSpan(), 16);
}

TEST(MemoryBitmap, PixelsStartOn64ByteBoundaryAndAreWritable) {
  for (int w : {1, 3, 7, 100}) {
    MemoryBitmap b(w, 3, 4);
    ASSERT_NE(b.Pixels(), nullptr);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(b.Pixels()) % 64, 0u) << w;
    EXPECT_EQ(b.AllocatedBytes(), static_cast<size_t>(b.RowSpan()) * 3 * 4);
    // Touch the whole block, last padded pixel included (ASan checks bounds).
    for (int i = 0; i < b.RowSpan() * 3; ++i) b.Pixels()[i] = 0x12345678u;
    EXPECT_FALSE(b.IsFlipped());
    EXPECT_EQ(b.Context(), nullptr);
    EXPECT_EQ(b.Extension(0, nullptr), nullptr);
  }
}

TEST(MemoryBitmap, ResizeReportsChangeAndGrowsByAQuarter) {
  MemoryBitmap b(4, 4, 0);
  EXPECT_EQ(b.AllocatedBytes(), 64u);
  EXPECT_FALSE(b.Resize(4, 4));
  EXPECT_TRUE(b.Resize(2, 2));  // smaller: the block is kept
  EXPECT_EQ(b.AllocatedBytes(), 64u);
  EXPECT_EQ(b.Width(), 2);
  EXPECT_EQ(b.Height(), 2);
  EXPECT_TRUE(b.Resize(8, 4));  // 128 bytes wanted: grows to 160
  EXPECT_EQ(b.AllocatedBytes(), 160u);
  EXPECT_TRUE(b.Resize(10, 4));  // 160 bytes fit
  EXPECT_EQ(b.AllocatedBytes(), 160u);
  for (int i = 0; i < 40; ++i) b.Pixels()[i] = 1;
}

TEST(MemoryBitmap, EmptyOrImpossibleSizeLeavesNoStorageAndZeroSize) {
  MemoryBitmap b(4, 4, 4);
  EXPECT_TRUE(b.Resize(0, 7));
  EXPECT_EQ(b.Pixels(), nullptr);
  EXPECT_EQ(b.Width(), 0);
  EXPECT_EQ(b.Height(), 0);
  EXPECT_EQ(b.AllocatedBytes(), 0u);

  MemoryBitmap negative(4, 4, 4);
  negative.Resize(-3, -3);  // negative sizes must not multiply into a positive one
  EXPECT_EQ(negative.Pixels(), nullptr);
  EXPECT_EQ(negative.Width(), 0);

  MemoryBitmap huge(4, 4, 4);
  huge.Resize(1 << 30, 1 << 30);
  EXPECT_EQ(huge.Pixels(), nullptr);
  EXPECT_EQ(huge.Width(), 0);
  EXPECT_EQ(huge.Height(), 0);
  EXPECT_TRUE(huge.Resize(2, 2));
  EXPECT_NE(huge.Pixels(), nullptr);

  // A padded row span that no int holds is refused, not computed.
  EXPECT_TRUE(huge.Resize(INT_MAX, 1));
  EXPECT_EQ(huge.Pixels(), nullptr);
  EXPECT_EQ(huge.Width(), 0);
  EXPECT_EQ(huge.RowSpan(), 0);
  SystemBitmap system(4, 4);
  system.Resize(INT_MAX, INT_MAX);
  EXPECT_EQ(system.Width(), 0);
  EXPECT_EQ(system.Pixels(), nullptr);
}

TEST(SystemBitmap, KeepsItsBlockWhenShrunk) {
  SystemBitmap b(815, 500);
  ASSERT_NE(b.Pixels(), nullptr);
  EXPECT_EQ(b.RowSpan(), 816);
  raster::Pixel* before = b.Pixels();
  EXPECT_TRUE(b.Resize(400, 200));
  EXPECT_EQ(b.Width(), 400);
  EXPECT_EQ(b.Height(), 200);
  EXPECT_EQ(b.RowSpan(), 816);
  EXPECT_EQ(b.Pixels(), before);
  EXPECT_FALSE(b.Resize(400, 200));
}

TEST(SystemBitmap, GrowsToWidthRoundedToFourAndTopDownRows) {
  SystemBitmap b(10, 10);
  EXPECT_EQ(b.AllocatedWidth(), 12);
  EXPECT_TRUE(b.Resize(11, 30));  // taller than the block: reallocated
  EXPECT_EQ(b.AllocatedWidth(), 12);
  EXPECT_EQ(b.AllocatedHeight(), 30);
  ASSERT_NE(b.Pixels(), nullptr);
  EXPECT_EQ(b.Row(29), b.Pixels() + 29 * 12);
  for (int i = 0; i < 12 * 30; ++i) b.Pixels()[i] = 0;
  EXPECT_FALSE(b.IsFlipped());
}

TEST(SystemBitmap, ZeroSizeHasNoPixelsAndCanGrowAgain) {
  SystemBitmap b(16, 16);
  EXPECT_TRUE(b.Resize(0, 16));
  EXPECT_EQ(b.Pixels(), nullptr);
  EXPECT_EQ(b.Width(), 0);
  EXPECT_TRUE(b.Resize(5, 5));
  EXPECT_NE(b.Pixels(), nullptr);
  EXPECT_EQ(b.RowSpan(), 8);
  SystemBitmap refused(1 << 20, 1 << 20);
  EXPECT_EQ(refused.Width(), 0);
  EXPECT_EQ(refused.Pixels(), nullptr);
}

}  // namespace
