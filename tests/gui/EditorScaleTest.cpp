// The editor at every display scale: the one mapping of logical to physical
// pixels, where the scale comes from, and Brume's layout drawn, clicked and
// dragged at each step.
#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "effect/ParameterIds.h"
#include "gui/EditorScale.h"
#include "gui/IControls.h"
#include "raster/Bitmap.h"
#include "raster/Font.h"
#include "raster/MemoryBitmap.h"
#include "raster/Reduce.h"
#include "tests/gui/EditorFixture.h"

namespace {

using namespace EditorScale;

TEST(EditorScaleMapping, RoundsHalfUpAndMapsEveryPhysicalPixelBackIntoItsLogicalOne) {
  EXPECT_EQ(Physical(815, 150), 1223);
  EXPECT_EQ(Physical(500, 150), 750);
  EXPECT_EQ(Physical(815, 200), 1630);
  EXPECT_EQ(Physical(500, 125), 625);
  for (int step = 0; step < kStepCount; ++step) {
    const int p = StepPercent(step);
    for (int x = -30; x < 830; ++x) {
      ASSERT_LE(Physical(x, p), Physical(x + 1, p)) << p;
      for (int px = Physical(x, p); px < Physical(x + 1, p); ++px) ASSERT_EQ(Logical(px, p), x) << p << " " << px;
    }
  }
  EXPECT_EQ(LogicalCover(IBounds{0, 0, 1223, 750}, 150), (IBounds{0, 0, 815, 500}));
}

TEST(EditorScaleMapping, FactorsSnapToStepsAndTextParsesWithoutTheLocale) {
  EXPECT_EQ(Snap(1.0), 100);
  EXPECT_EQ(Snap(1.1), 100);
  EXPECT_EQ(Snap(1.13), 125);
  EXPECT_EQ(Snap(144 / 96.0), 150);
  EXPECT_EQ(Snap(0.5), 100);
  EXPECT_EQ(Snap(9.0), 300);
  EXPECT_EQ(Snap(0.0), 0);
  EXPECT_EQ(Snap(std::nan("")), 0);
  EXPECT_EQ(Parse("1.5"), 150);
  EXPECT_EQ(Parse("175"), 175);
  EXPECT_EQ(Parse("200%"), 200);
  EXPECT_EQ(Parse("1,5"), 0);
  EXPECT_EQ(Parse("big"), 0);
  EXPECT_EQ(Parse(""), 0);
  Sources s;
  EXPECT_EQ(s.Resolve(), 100);
  s.system = 150;
  EXPECT_EQ(s.Resolve(), 150);
  s.host = 200;
  EXPECT_EQ(s.Resolve(), 200);
  s.user = 125;
  EXPECT_EQ(s.Resolve(), 125);
  s.environment = 300;
  EXPECT_EQ(s.Resolve(), 300);
}

TEST(EditorScaleMapping, AreaReductionAveragesAndKeepsBandsApart) {
  raster::MemoryBitmap source(6, 6), out(2, 4);
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 6; ++x) source.Row(y)[x] = y < 3 ? (x < 3 ? 0xFFFFFFFFu : 0xFF000000u) : 0xFF303030u;
  raster::ReduceArea(source, 0, 3, 3.0, out, 0, 1);
  raster::ReduceArea(source, 3, 3, 3.0, out, 1, 1);
  EXPECT_EQ(out.Row(0)[0], 0xFFFFFFFFu);
  EXPECT_EQ(out.Row(0)[1], 0xFF000000u);
  EXPECT_EQ(out.Row(1)[0], 0xFF303030u);
  raster::ReduceArea(source, 0, 6, 2.0, out, 1, 3);  // 1.5 x 1.5 cells: half-covered columns mix
  EXPECT_EQ(out.Row(1)[1], raster::PackPixel(255, 0x80, 0x80, 0x80));
}

class ScaledEditorTest : public EditorFixture {
 protected:
  void ShowAt(int percent) {
    Editor().SetUserScale(percent);
    Editor().RedrawAll();
  }
  // The controls a musician can click: visible, bound to a parameter.
  std::vector<int> Clickable() {
    std::vector<int> out;
    for (int i = 1; i < Editor().ControlCount(); ++i)
      if (!Editor().GetControl(i)->IsHidden() && Editor().GetControl(i)->ParamIndex() >= 0) out.push_back(i);
    return out;
  }
};

TEST_F(ScaledEditorTest, EveryStepHasTheScaledSizeAndEveryTextInkStaysInItsScaledBox) {
  for (int step = 0; step < kStepCount; ++step) {
    const int p = StepPercent(step);
    ShowAt(p);
    raster::Bitmap* store = Editor().BackingStore();
    ASSERT_EQ(store->Width(), Physical(815, p));
    ASSERT_EQ(store->Height(), Physical(500, p));
    int checked = 0;
    for (int i = 1; i < Editor().ControlCount(); ++i) {
      auto* text = dynamic_cast<ITextControl*>(Editor().GetControl(i));
      if (!text || text->IsHidden() || text->Text().empty() || !text->TextStyle().font) continue;
      // The control's text drawn alone, as the view draws it, at the scale.
      const IBounds box = Physical(text->Bounds(), p);
      raster::MemoryBitmap alone(store->Width() + 200, store->Height());
      for (int y = 0; y < alone.Height(); ++y) std::fill(alone.Row(y), alone.Row(y) + alone.Width(), 0u);
      raster::Font& font = *text->TextStyle().font;
      EXPECT_EQ(text->TextStyle().fontSize, Physical(text->TextStyle().size, p));
      font.SetTextColour(0xFFFFFFFFu);
      font.RenderText(&alone, text->Text().c_str(), -1, raster::TextBounds{box.L, box.T, box.R, box.B},
                      raster::kTextNoClip);
      IBounds ink{alone.Width(), alone.Height(), -1, -1};
      for (int y = 0; y < alone.Height(); ++y)
        for (int x = 0; x < alone.Width(); ++x)
          if (raster::ChannelOf(alone.Row(y)[x], raster::kAlpha) > 0)
            ink = IBounds{std::min(ink.L, x), std::min(ink.T, y), std::max(ink.R, x + 1), std::max(ink.B, y + 1)};
      ASSERT_GT(ink.R, 0) << text->Text();
      EXPECT_TRUE(ink.L >= box.L && ink.R <= box.R && ink.T >= box.T && ink.B <= box.B)
          << p << "% control " << i << " '" << text->Text() << "' ink " << ink.L << "," << ink.T << "-" << ink.R
          << "," << ink.B << " box " << box.L << "," << box.T << "-" << box.R << "," << box.B;
      ++checked;
    }
    EXPECT_GT(checked, 40) << p;
  }
}

TEST_F(ScaledEditorTest, ClicksAtScaledCentresHitTheirControlAndDragsMoveAsAt100) {
  const std::vector<int> clickable = Clickable();
  ASSERT_GT(clickable.size(), 40u);
  for (int step = 0; step < kStepCount; ++step) {
    const int p = StepPercent(step);
    ShowAt(p);
    for (int i : clickable) {
      const IBounds& b = Editor().GetControl(i)->HitBounds();
      // The centre pixel of the mapped box: its logical point is the box's centre.
      const int x = Physical((b.L + b.R) / 2, p), y = Physical((b.T + b.B) / 2, p);
      EXPECT_EQ(Editor().ControlAt(x, y), i) << p << "% control " << i;
    }
    // 10 logical pixels up on the filter shape read-out.
    const double before = Normalised(kFilterShape1);
    Drag(Physical(180, p), Physical(110, p), Physical(180, p), Physical(100, p));
    EXPECT_NEAR(Normalised(kFilterShape1) - before, 0.1, 1e-9) << p;
  }
}

// Mean absolute channel difference over the image and the share of pixels
// differing by more than a quarter of the range.
struct Difference {
  double mean = 0;
  double farShare = 0;
};
Difference Compare(raster::Bitmap& a, raster::Bitmap& b) {
  Difference d;
  const int w = a.Width(), h = a.Height();
  long long far = 0;
  double total = 0;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      int most = 0;
      for (int c : {raster::kRed, raster::kGreen, raster::kBlue}) {
        const int diff = std::abs(raster::ChannelOf(a.Row(y)[x], c) - raster::ChannelOf(b.Row(y)[x], c));
        total += diff;
        most = std::max(most, diff);
      }
      if (most > 64) ++far;
    }
  d.mean = total / (3.0 * w * h);
  d.farShare = static_cast<double>(far) / (static_cast<double>(w) * h);
  return d;
}

TEST_F(ScaledEditorTest, TwoHundredPercentIsDrawnNotStretchedAndReducesToTheHundredPercentPicture) {
  raster::MemoryBitmap at100(815, 500), enlarged(1630, 1000), reduced(815, 500);
  ShowAt(100);
  for (int y = 0; y < 500; ++y)
    for (int x = 0; x < 815; ++x) at100.Row(y)[x] = Editor().BackingStore()->Row(y)[x] | 0xFF000000u;
  for (int y = 0; y < 1000; ++y)
    for (int x = 0; x < 1630; ++x) enlarged.Row(y)[x] = at100.Row(y / 2)[x / 2];
  ShowAt(200);
  raster::Bitmap& at200 = *Editor().BackingStore();
  for (int y = 0; y < 1000; ++y)
    for (int x = 0; x < 1630; ++x) at200.Row(y)[x] |= 0xFF000000u;
  const Difference stretched = Compare(at200, enlarged);
  raster::ReduceArea(at200, 0, 1000, 2.0, reduced, 0, 500);
  const Difference shrunk = Compare(reduced, at100);
  // Edges of text and artwork are where drawing at the scale differs from
  // blowing pixels up: there, 2 x 2 blocks of the 200 % picture are not of
  // one colour. Reduced again, the picture is the same one (glyphs hinted
  // at another size differ by a fraction of a pixel).
  int detailed = 0;
  for (int y = 0; y < 1000; y += 2)
    for (int x = 0; x < 1630; x += 2) {
      const raster::Pixel p = at200.Row(y)[x];
      detailed += at200.Row(y)[x + 1] != p || at200.Row(y + 1)[x] != p || at200.Row(y + 1)[x + 1] != p;
    }
  EXPECT_GT(detailed, 815 * 500 / 50);
  EXPECT_GT(stretched.farShare, 0.005);
  EXPECT_LT(shrunk.mean, 6.0);
}

}  // namespace
