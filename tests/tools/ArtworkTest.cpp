// The committed editor images: they decode, the panel is opaque, nothing of
// the art lies where the controls write their text, and the selector's two
// frames highlight opposite words; the 3x masters are the same pictures.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "raster/PngReader.h"
#include "raster/Reduce.h"

namespace {

using raster::Pixel;

std::unique_ptr<raster::MemoryBitmap> LoadImage(const char* name) {
  std::ifstream file(std::string(KESTREL_ARTWORK_DIR) + "/" + name, std::ios::binary);
  const std::vector<char> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  return raster::ReadPngFromMemory(bytes.data(), bytes.size());
}

// True when every pixel of the rectangle has one colour.
bool Plain(raster::Bitmap& b, int left, int top, int right, int bottom) {
  for (int y = top; y < bottom; ++y)
    for (int x = left; x < right; ++x)
      if (b.Row(y)[x] != b.Row(top)[left]) return false;
  return true;
}

TEST(Artwork, BackgroundIsAnOpaquePanelThatLeavesTheControlTextAreasClear) {
  auto panel = LoadImage("brume_background.png");
  ASSERT_NE(panel, nullptr);
  ASSERT_EQ(panel->Width(), 815);
  ASSERT_EQ(panel->Height(), 500);
  for (int y = 0; y < 500; ++y)
    for (int x = 0; x < 815; ++x) ASSERT_EQ(raster::ChannelOf(panel->Row(y)[x], raster::kAlpha), 255) << x << "," << y;

  // Where the read-outs' text goes (their left edges, one 19-pixel line).
  const int readoutTops[] = {100, 175, 270, 345, 435};
  const int leftColumn[] = {25, 112, 173}, rightColumn[] = {570, 660, 735};
  for (int top : readoutTops)
    for (const int* column : {leftColumn, rightColumn})
      for (int i = 0; i < 3; ++i) {
        const int right = std::min(column[i] + 60, 815);
        EXPECT_TRUE(Plain(*panel, column[i], top, right, top + 20)) << column[i] << "," << top;
      }
  for (int left : {295, 382, 460}) EXPECT_TRUE(Plain(*panel, left, 435, left + 60, 455)) << left;
  // Matrix rows: source, destination and amount text all on one plain band.
  for (int row = 0; row < 12; ++row) {
    const int top = 85 + 25 * row;
    EXPECT_TRUE(Plain(*panel, 270, top, 558, top + 18)) << "row " << row + 1;
  }
  // The bottom row of controls.
  EXPECT_TRUE(Plain(*panel, 0, 478, 815, 500));
}

// Brightest colour (by red, weighted by alpha) within columns [left, right)
// of one frame.
int Brightest(raster::Bitmap& b, int frame, int left, int right) {
  int best = 0;
  for (int y = frame * 25; y < frame * 25 + 25; ++y)
    for (int x = left; x < right; ++x) {
      const Pixel p = b.Row(y)[x];
      best = std::max(best, raster::ChannelOf(p, raster::kRed) * raster::ChannelOf(p, raster::kAlpha) / 255);
    }
  return best;
}

TEST(Artwork, SelectorFramesHighlightOppositeWords) {
  auto selector = LoadImage("matrix_selector.png");
  ASSERT_NE(selector, nullptr);
  ASSERT_EQ(selector->Width(), 300);
  ASSERT_EQ(selector->Height(), 50);
  // "audio matrix" lies left of the middle, "mod matrix" right of it.
  EXPECT_EQ(Brightest(*selector, 0, 0, 120), 255);
  EXPECT_LT(Brightest(*selector, 0, 120, 300), 200);
  EXPECT_LT(Brightest(*selector, 1, 0, 120), 200);
  EXPECT_EQ(Brightest(*selector, 1, 120, 300), 255);
}

// Other scales are reduced from the masters: each must be exactly three
// times its 100 % image and, reduced by three, show the same picture.
TEST(Artwork, MastersAreTheSameImagesAtThreeTimesTheSize) {
  for (const char* name : {"brume_background", "matrix_selector"}) {
    auto image = LoadImage((std::string(name) + ".png").c_str());
    auto master = LoadImage((std::string(name) + "_3x.png").c_str());
    ASSERT_TRUE(image && master) << name;
    ASSERT_EQ(master->Width(), 3 * image->Width()) << name;
    ASSERT_EQ(master->Height(), 3 * image->Height()) << name;
    raster::MemoryBitmap reduced(image->Width(), image->Height());
    raster::ReduceArea(*master, 0, master->Height(), 3.0, reduced, 0, image->Height());
    double total = 0;
    for (int y = 0; y < image->Height(); ++y)
      for (int x = 0; x < image->Width(); ++x)
        for (int c : {raster::kAlpha, raster::kRed, raster::kGreen, raster::kBlue}) {
          // Colour only counts where the pixel shows.
          const int a = raster::ChannelOf(image->Row(y)[x], c), b = raster::ChannelOf(reduced.Row(y)[x], c);
          const int alpha = std::min(raster::ChannelOf(image->Row(y)[x], raster::kAlpha),
                                     raster::ChannelOf(reduced.Row(y)[x], raster::kAlpha));
          total += std::abs(a - b) * (c == raster::kAlpha ? 1.0 : alpha / 255.0);
        }
    const double mean = total / (4.0 * image->Width() * image->Height());
    EXPECT_LT(mean, 3.0) << name;
  }
}

}  // namespace
