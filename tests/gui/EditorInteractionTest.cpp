// What a musician does with the mouse, through Brume's layout.
#include "effect/ParameterIds.h"
#include "gui/IControls.h"
#include "tests/gui/EditorFixture.h"

namespace {

using EditorInteractionTest = EditorFixture;

TEST_F(EditorInteractionTest, TheSourceMenuFollowsThePageAndSendsTheChoiceInsideOneEdit) {
  Plugin().SetParameterFromGUI(kMatrixTab, 0.0);
  Editor().Tick();  // the editor follows the plug-in on its next tick
  host_.Clear();
  Editor().ScriptMenuChoice(3);  // "Crusher 1"
  Click(300, 95);
  ASSERT_EQ(Editor().MenusShown().size(), 1u);
  EXPECT_EQ(Editor().MenusShown()[0].size(), 9u);
  EXPECT_EQ(Editor().MenusShown()[0][1], "In 1");
  EXPECT_EQ(Value(kAudioIn1), 3.0);
  const std::string gestures = Gestures();
  EXPECT_EQ(gestures.front(), 'B');
  EXPECT_EQ(gestures.back(), 'E');
  EXPECT_EQ(std::count(gestures.begin(), gestures.end(), 'B'), 1);

  Plugin().SetParameterFromGUI(kMatrixTab, 1.0);
  Editor().Tick();
  Editor().ScriptMenuChoice(-1);  // dismissed: nothing changes
  Click(300, 95);
  ASSERT_EQ(Editor().MenusShown().size(), 2u);
  EXPECT_EQ(Editor().MenusShown()[1][1], "Midi Gate");
  EXPECT_EQ(Value(kModIn1), 0.0);
  EXPECT_EQ(Value(kAudioIn1), 3.0);  // the hidden audio page took no click
}

TEST_F(EditorInteractionTest, DragsFollowTheGearingAndTheOverlapGoesToTheLaterReadOut) {
  const double shape = Normalised(kFilterShape1), res = Normalised(kFilterRes1);
  host_.Clear();
  Drag(180, 110, 180, 100);  // 10 px up on a 25 px read-out, gearing 4
  EXPECT_NEAR(Normalised(kFilterShape1) - shape, 0.1, 1e-9);
  EXPECT_EQ(Normalised(kFilterRes1), res);
  EXPECT_EQ(Gestures(), "BAAE");

  const double fine = Normalised(kFilterShape1);
  Drag(180, 110, 180, 100, /*shift*/ true);
  EXPECT_NEAR(Normalised(kFilterShape1) - fine, 1.0 / 120, 1e-9);
}

// Every value sent lies inside exactly one begin/end pair of its parameter.
TEST_F(EditorInteractionTest, TheWheelMovesByOneParameterStepAndDoubleClickRestoresTheDefault) {
  IMouseMods none;
  const double freq = Value(kFilterFreq1);  // step 1 Hz
  host_.Clear();
  Editor().OnMouseWheel(30, 110, none, 3);
  EXPECT_NEAR(Value(kFilterFreq1), freq + 3.0, 1e-6);
  Editor().OnMouseWheel(30, 110, none, -1);
  EXPECT_NEAR(Value(kFilterFreq1), freq + 2.0, 1e-6);
  EXPECT_EQ(Gestures(), "BAEBAE");
  host_.Clear();
  Click(30, 110);  // a double click as a window system delivers it
  Editor().OnMouseDoubleClick(30, 110, none);
  Editor().OnMouseUp(30, 110, none);
  EXPECT_EQ(Value(kFilterFreq1), freq);
  EXPECT_EQ(Gestures(), "BEBAE");
}

TEST_F(EditorInteractionTest, SelectorAndLfoResetToggleAndPresetsShowTheirPage) {
  const double page = Value(kMatrixTab);
  Click(400, 45);
  EXPECT_NE(Value(kMatrixTab), page);
  EXPECT_EQ(Editor().GetControl(1)->IsHidden(), Value(kMatrixTab) != 0.0);
  Click(400, 45);
  EXPECT_EQ(Value(kMatrixTab), page);

  const double reset = Value(kLfoReset);
  Click(30, 490);
  EXPECT_EQ(Value(kLfoReset), 1.0 - reset);
  Click(30, 490);
  EXPECT_EQ(Value(kLfoReset), reset);

  for (int program = 0; program < 3; ++program) {
    Kestrel::LockGuard lock(Plugin());
    ASSERT_TRUE(Plugin().LoadPreset(program));
    Editor().Tick();
    EXPECT_EQ(Editor().GetControl(37)->IsHidden(), Value(kMatrixTab) == 0.0) << program;
    EXPECT_NE(Editor().GetControl(1)->IsHidden(), Editor().GetControl(37)->IsHidden());
  }
}

TEST_F(EditorInteractionTest, PromptsOfferValueMenusOrTextEntryWhereEnabled) {
  IMouseMods right;
  right.right = true;
  Editor().GetControl(74)->SetPromptEnabled(true);  // filter 1 frequency
  Editor().ScriptTextEntry("440.5");
  Editor().OnMouseDown(30, 110, right);
  Editor().OnMouseUp(30, 110, right);
  EXPECT_EQ(Editor().TextEntriesShown(), 1);
  EXPECT_NEAR(Value(kFilterFreq1), 440.5, 0.5);  // the parameter's own step applies

  Editor().GetControl(74)->SetPromptEnabled(false);
  Editor().OnMouseDown(30, 110, right);
  EXPECT_EQ(Editor().TextEntriesShown(), 1);  // disabled again: nothing opens

  IControl* softClip = Editor().GetControl(106);
  softClip->SetPromptEnabled(true);
  Editor().ScriptMenuChoice(1 - static_cast<int>(Value(kSoftClip)));
  const double before = Value(kSoftClip);
  Editor().OnMouseDoubleClick(200, 490, right);  // a menu's own prompt
  ASSERT_EQ(Editor().MenusShown().size(), 1u);
  EXPECT_EQ(Value(kSoftClip), 1.0 - before);
}

TEST_F(EditorInteractionTest, KeysOverNothingGoToTheKeyCatcherOrAreLeftToTheHost) {
  EXPECT_FALSE(Editor().OnKeyDown(5, 250, kKeySpace));  // background, no catcher

  struct Catcher : IControl {
    Catcher() : IControl(nullptr, IBounds{}) {}
    bool Draw(IEditorView&) override { return true; }
    bool OnKeyDown(int, int, int key) override { return key == kKeySpace; }
  };
  Editor().SetKeyCatcher(new Catcher);
  EXPECT_TRUE(Editor().OnKeyDown(5, 250, kKeySpace));
  EXPECT_FALSE(Editor().OnKeyDown(30, 110, kKeySpace));  // a read-out that ignores keys
}

}  // namespace
