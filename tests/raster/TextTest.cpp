#include <gtest/gtest.h>

#include <algorithm>

#include "raster/Font.h"
#include "raster/MemoryBitmap.h"
#include "raster/SystemBitmap.h"

namespace {

using raster::Font;
using raster::Pixel;
using raster::TextBounds;

constexpr Pixel kWhite = 0xFFFFFFFFu;
constexpr int kFlags = raster::kFontOwnsHandle | raster::kFontSystemRenderer;

struct Ink {
  int count = 0;
  int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;  // inclusive
  int darkest = 255;                                            // lowest green byte
};

Ink FindInk(raster::Bitmap& b, Pixel background = kWhite) {
  Ink ink;
  for (int y = 0; y < b.Height(); ++y)
    for (int x = 0; x < b.Width(); ++x) {
      const Pixel p = b.Row(y)[x];
      if ((p & 0xFFFFFF) == (background & 0xFFFFFF)) continue;
      ++ink.count;
      ink.left = std::min(ink.left, x);
      ink.right = std::max(ink.right, x);
      ink.top = std::min(ink.top, y);
      ink.bottom = std::max(ink.bottom, y);
      ink.darkest = std::min(ink.darkest, raster::ChannelOf(p, raster::kGreen));
    }
  return ink;
}

class Text : public ::testing::Test {
 protected:
  void SetUp() override {
    raster::FontRequest request;  // Verdana, 12 px cell
    font_.SetFont(raster::CreateNativeFont(request), kFlags);
    ASSERT_NE(font_.Handle(), nullptr) << "no usable system font (Verdana or DejaVu Sans)";
    Clear();
  }
  void Clear(Pixel p = kWhite) {
    for (int y = 0; y < canvas_.Height(); ++y) std::fill(canvas_.Row(y), canvas_.Row(y) + canvas_.Width(), p);
  }
  int Draw(const char* text, TextBounds bounds, int flags = raster::kTextNoClip) {
    return font_.RenderText(&canvas_, text, -1, bounds, flags);
  }

  Font font_;
  raster::SystemBitmap canvas_{200, 60};
};

TEST_F(Text, LineHeightFollowsTheRequestedCell) {
  EXPECT_GE(font_.LineHeight(), 12);
  EXPECT_LE(font_.LineHeight(), 15);
  raster::FontRequest big;
  big.height = 30;
  Font large;
  large.SetFont(raster::CreateNativeFont(big), kFlags);
  EXPECT_GE(large.LineHeight(), 30);
  EXPECT_LE(large.LineHeight(), 33);
}

TEST_F(Text, InkLiesInsideTheBoundsInTheTextColour) {
  font_.SetTextColour(0xFFFF0000u);  // red
  const TextBounds bounds{20, 10, 180, 40};
  const int height = Draw("Kestrel 440 Hz", bounds, 0);
  EXPECT_EQ(height, font_.LineHeight());
  const Ink ink = FindInk(canvas_);
  ASSERT_GT(ink.count, 40);
  EXPECT_GE(ink.left, bounds.left);
  EXPECT_LT(ink.right, bounds.right);
  EXPECT_GE(ink.top, bounds.top);
  EXPECT_LT(ink.bottom, bounds.top + font_.LineHeight());  // laid out from the top
  bool fullyCovered = false;
  for (int y = 0; y < canvas_.Height(); ++y)
    for (int x = 0; x < canvas_.Width(); ++x) {
      const Pixel p = canvas_.Row(y)[x];
      if (p == kWhite) continue;
      // Red over white: red stays full, green and blue fall together.
      ASSERT_EQ(raster::ChannelOf(p, raster::kRed), 255);
      ASSERT_EQ(raster::ChannelOf(p, raster::kGreen), raster::ChannelOf(p, raster::kBlue));
      fullyCovered |= (p & 0xFFFFFF) == 0xFF0000;
    }
  EXPECT_TRUE(fullyCovered);
}

TEST_F(Text, CentreAndRightAlignmentMoveTheInk) {
  const TextBounds bounds{10, 5, 190, 30};
  Draw("Mix", bounds);
  const Ink left = FindInk(canvas_);
  Clear();
  Draw("Mix", bounds, raster::kTextNoClip | raster::kTextCentre);
  const Ink centre = FindInk(canvas_);
  Clear();
  Draw("Mix", bounds, raster::kTextNoClip | raster::kTextRight);
  const Ink right = FindInk(canvas_);
  ASSERT_GT(left.count, 10);
  EXPECT_LE(left.left - bounds.left, 3);
  EXPECT_LE(bounds.right - 1 - right.right, 3);
  EXPECT_LE(std::abs((centre.left + centre.right) / 2 - (bounds.left + bounds.right) / 2), 3);
  // Same glyphs, only moved.
  EXPECT_EQ(centre.count, left.count);
  EXPECT_EQ(right.right - right.left, left.right - left.left);
  EXPECT_EQ(right.top, left.top);
}

TEST_F(Text, EmptyTextDrawsNothing) {
  EXPECT_EQ(Draw("", {0, 0, 100, 20}), 0);
  EXPECT_EQ(font_.RenderText(&canvas_, "abc", 0, {0, 0, 100, 20}, 0), 0);
  EXPECT_EQ(font_.RenderText(nullptr, "abc", -1, {0, 0, 100, 20}, 0), 0);
  EXPECT_EQ(FindInk(canvas_).count, 0);
}

TEST_F(Text, ClippedToTheBoundsUnlessTold) {
  const TextBounds narrow{50, 10, 70, 30};
  Draw("Wide text here", narrow, 0);
  const Ink clipped = FindInk(canvas_);
  EXPECT_GE(clipped.left, narrow.left);
  EXPECT_LT(clipped.right, narrow.right);
  Clear();
  Draw("Wide text here", narrow, raster::kTextNoClip);
  EXPECT_GE(FindInk(canvas_).right, narrow.right + 20);
}

TEST_F(Text, LengthLimitsTheDrawnBytes) {
  font_.RenderText(&canvas_, "IIIIIIII", 2, {0, 0, 200, 30}, 0);
  const Ink two = FindInk(canvas_);
  Clear();
  Draw("II", {0, 0, 200, 30}, 0);
  EXPECT_EQ(FindInk(canvas_).count, two.count);
}

TEST_F(Text, AlphaBlendsOnlyWhenAsked) {
  font_.SetTextColour(0x80000000u);  // half-transparent black
  Draw("Gain", {0, 0, 200, 30}, raster::kTextBlendAlpha);
  const Ink blended = FindInk(canvas_);
  EXPECT_GE(blended.darkest, 120);
  EXPECT_LE(blended.darkest, 135);
  Clear();
  Draw("Gain", {0, 0, 200, 30}, 0);
  EXPECT_EQ(FindInk(canvas_).darkest, 0);
}

TEST_F(Text, OpaqueBackgroundFillsBehindTheText) {
  font_.SetBackgroundMode(raster::kBackgroundOpaque);
  font_.SetBackgroundColour(0xFF0000FFu);
  Draw("Pan", {10, 10, 190, 40}, 0);
  int blue = 0;
  for (int y = 0; y < canvas_.Height(); ++y)
    for (int x = 0; x < canvas_.Width(); ++x) blue += (canvas_.Row(y)[x] & 0xFFFFFF) == 0x0000FF;
  EXPECT_GT(blue, 50);
  EXPECT_EQ((canvas_.Row(5)[20]) & 0xFFFFFF, 0xFFFFFFu);  // above the line: untouched
}

TEST_F(Text, LinesStackFromTheTop) {
  EXPECT_EQ(Draw("A\nA", {0, 0, 200, 60}), 2 * font_.LineHeight());
  const Ink two = FindInk(canvas_);
  Clear();
  Draw("A", {0, 0, 200, 60});
  const Ink one = FindInk(canvas_);
  EXPECT_EQ(two.count, 2 * one.count);
  EXPECT_EQ(two.bottom - one.bottom, font_.LineHeight());
}

TEST_F(Text, Utf8AndWindows1252SpellTheSameText) {
  Draw("caf\xC3\xA9", {0, 0, 200, 30});
  std::vector<Pixel> utf8(canvas_.Pixels(), canvas_.Pixels() + canvas_.RowSpan() * canvas_.Height());
  Clear();
  Draw("caf\xE9", {0, 0, 200, 30});
  EXPECT_TRUE(std::equal(utf8.begin(), utf8.end(), canvas_.Pixels()));
  EXPECT_GT(FindInk(canvas_).count, 0);
}

TEST_F(Text, BoldInksMore) {
  Draw("Feedback", {0, 0, 200, 30});
  const int normal = FindInk(canvas_).count;
  Clear();
  raster::FontRequest bold;
  bold.weight = 700;
  font_.SetFont(raster::CreateNativeFont(bold), kFlags);  // the old font is deleted
  ASSERT_NE(font_.Handle(), nullptr);
  font_.SetFont(font_.Handle(), kFlags);  // the same handle is kept, not deleted
  Draw("Feedback", {0, 0, 200, 30});
  EXPECT_GT(FindInk(canvas_).count, normal * 11 / 10);
}

TEST_F(Text, DrawsIntoPlainMemoryBitmapsToo) {
  raster::MemoryBitmap memory(100, 30, 4);
  for (int y = 0; y < 30; ++y) std::fill(memory.Row(y), memory.Row(y) + 100, kWhite);
  font_.RenderText(&memory, "LFO", -1, {0, 0, 100, 30}, raster::kTextCentre);
  const Ink ink = FindInk(memory);
  EXPECT_GT(ink.count, 10);
  EXPECT_EQ(ink.darkest, 0);
}

}  // namespace
