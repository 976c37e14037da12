// The view core: rectangles, the dirty/draw cycle, images and the pages as
// they appear in the backing store.
#include "effect/EditorLayout.h"
#include "effect/ParameterIds.h"
#include "gui/IControls.h"
#include <vector>

#include "raster/Bitmap.h"
#include "tests/gui/EditorFixture.h"

namespace {

TEST(IBoundsTest, TouchingEdgesOverlapAndEmptyIsOnlyAllZero) {
  const IBounds a{0, 0, 10, 10}, right{10, 0, 20, 10}, beyond{11, 0, 20, 10};
  EXPECT_EQ(a.Intersect(right), (IBounds{10, 0, 10, 10}));  // a.R == b.L still overlaps
  EXPECT_TRUE(a.Intersect(beyond).Empty());
  EXPECT_TRUE(right.Intersect(a).Empty());  // b.L >= a.R the other way round
  EXPECT_EQ(IBounds{}.Union(beyond), beyond);
  EXPECT_EQ(a.Union(beyond), (IBounds{0, 0, 20, 10}));
  EXPECT_FALSE(IBounds{}.Contains(0, 0));
  EXPECT_TRUE(a.Contains(0, 9));
  EXPECT_FALSE(a.Contains(10, 5));
}

TEST(IMenuTest, NumberingModesPrefixTheItemNumber) {
  IMenu menu;
  for (int i = 0; i < 9; ++i) menu.items.push_back(IMenuItem{"x" + std::to_string(i), nullptr, 0});
  menu.numbering = IMenu::kTwoDigits;
  EXPECT_EQ(menu.ItemLabel(8), "09: x8");
  menu.numbering = IMenu::kThreeDigits;
  EXPECT_EQ(menu.ItemLabel(0), "001: x0");
  menu.numbering = IMenu::kPlain;
  EXPECT_EQ(menu.ItemLabel(0), "x0");
}

using EditorViewTest = EditorFixture;

TEST_F(EditorViewTest, OnlyChangedValuesAreRedrawnTwiceThenTheEditorIsIdle) {
  while (Editor().Tick()) {
  }
  EXPECT_FALSE(Editor().Tick());
  IControl* gain = Editor().GetControl(88);
  ASSERT_EQ(gain->ParamIndex(), kGain);
  Editor().PushParameterToControls(kGain, gain->Value(), true);  // same value: nothing to do
  EXPECT_FALSE(Editor().Tick());

  Editor().ClearPresents();
  Plugin().SetParameterFromGUI(kGain, 0.25);  // the editor takes only what changed, on its tick
  Editor().SyncWithPlugin();
  IBounds dirty;
  ASSERT_TRUE(Editor().CollectDirtyBounds(&dirty));
  EXPECT_EQ(dirty, gain->Bounds());
  EXPECT_TRUE(Editor().Tick());
  EXPECT_TRUE(Editor().Tick());  // the pending second pass
  EXPECT_FALSE(Editor().Tick());
  EXPECT_EQ(Editor().Presents().size(), 2u);
  EXPECT_EQ(gain->DefaultValue(), Plugin().Parameter(kGain)->NormalisedOf(0.0));  // first value kept
}

TEST_F(EditorViewTest, TheVisiblePageCarriesTextAndTheHiddenOneLeavesTheBackground) {
  const IBounds firstSource{275, 85, 375, 105};
  Plugin().SetParameterFromGUI(kMatrixTab, 0.0);
  Plugin().SetParameterFromGUI(kAudioIn1, 1.0 / 8);  // "In 1"
  while (Editor().Tick()) {
  }
  const int audioInk = InkIn(firstSource);
  EXPECT_GT(audioInk, 20);
  EXPECT_GT(InkIn({25, 100, 110, 125}), 20);  // filter frequency read-out

  Plugin().SetParameterFromGUI(kMatrixTab, 1.0);  // modulation page: "..." in row 1
  while (Editor().Tick()) {
  }
  EXPECT_TRUE(Editor().GetControl(2)->IsHidden());
  EXPECT_FALSE(Editor().GetControl(38)->IsHidden());
  EXPECT_LT(InkIn(firstSource), audioInk / 2);

  // The background: the panel is opaque and the selector shows frame 2.
  raster::Bitmap* image = Editor().BackingStore();
  EXPECT_EQ(image->Row(250)[5] >> 24, 0xFFu);
  auto* selector = static_cast<IBitmapControl*>(Editor().GetControl(EditorLayout::kSelectorIndex));
  EXPECT_EQ(selector->FrameForValue(), 2);
}

TEST_F(EditorViewTest, RedrawingPartOfAControlLeavesItsTextAsAFullRedrawDrawsIt) {
  raster::Bitmap* image = Editor().BackingStore();
  auto pixels = [image] {
    std::vector<raster::Pixel> all;
    for (int y = 0; y < image->Height(); ++y) all.insert(all.end(), image->Row(y), image->Row(y) + image->Width());
    return all;
  };
  const std::vector<raster::Pixel> full = pixels();
  // A sliver of the overlapping filter read-outs, and the edge where a
  // matrix source menu meets its destination menu.
  Editor().Draw(IBounds{190, 104, 192, 106});
  Editor().Draw(IBounds{370, 90, 376, 92});
  EXPECT_TRUE(pixels() == full);
}

// A view whose images cannot be decoded draws what it can and never crashes.
class BrokenImageEditor : public HeadlessEditor {
 public:
  using HeadlessEditor::HeadlessEditor;
  std::unique_ptr<raster::Bitmap> LoadPngResource(int, const char* fileName) override {
    static const unsigned char kNotAPng[16] = {0x89, 'P', 'N', 'G', 1, 2, 3, 4};
    return DecodePngResource(kNotAPng, sizeof kNotAPng, fileName);
  }
};

TEST(EditorImagesTest, UndecodableOrMisnamedImagesAreSkipped) {
  static const unsigned char kPngSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  EXPECT_EQ(DecodePngResource(kPngSignature, 8, "a.txt"), nullptr);
  EXPECT_EQ(DecodePngResource(kPngSignature, 7, "a.PNG"), nullptr);

  BrokenImageEditor view(nullptr, 100, 50, 0);
  view.PrepareDrawing();
  const IImage image = view.LoadImage(999, "broken.png", 2);
  EXPECT_EQ(image.bitmap, nullptr);
  view.SetBackground(998, "broken.png");
  view.AddControl(new ISwitchControl(nullptr, 10, 10, -1, image));
  view.RedrawAll();
  EXPECT_EQ(view.Presents().size(), 1u);
}

}  // namespace
