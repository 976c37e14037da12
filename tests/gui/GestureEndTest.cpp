// A drag the editor cannot finish (its window closes, the view or the
// plug-in goes) still ends its edit: hosts recording touch automation
// would otherwise keep the parameter latched.
#include <string>

#include "effect/DefineParameters.h"
#include "effect/EditorLayout.h"
#include "effect/ParameterIds.h"
#include "framework/IParameterStore.h"
#include "tests/gui/EditorFixture.h"

namespace {

using GestureEndTest = EditorFixture;

// 10 pixels up on the first filter's shape read-out, the button still down.
void StartDrag(IEditorView& view) {
  IMouseMods left;
  left.left = true;
  view.OnMouseDown(180, 110, left);
  view.OnMouseDrag(180, 100, left);
}

TEST_F(GestureEndTest, ClosingTheEditorMidDragEndsTheEditOnce) {
  StartDrag(Editor());
  ASSERT_EQ(Gestures(), "BA");
  AEffect* effect = Plugin().Effect();
  EXPECT_EQ(effect->dispatcher(effect, effEditClose, 0, 0, nullptr, 0.0f), 1);
  EXPECT_EQ(Gestures(), "BAE");
  EXPECT_EQ(host_.CallsOf(audioMasterEndEdit).at(0).index, kFilterShape1);
  // The release the closed window would have seen changes nothing more.
  Editor().OnMouseUp(180, 100, IMouseMods{});
  EXPECT_EQ(Gestures(), "BAE");
}

TEST_F(GestureEndTest, ThePlugInClosedMidDragEndsTheEditWhileTheHostCanHearIt) {
  StartDrag(Editor());
  plugin_.reset();
  EXPECT_EQ(Gestures(), "BAE");
}

// The view alone, with a delegate that records the gesture.
class GestureLog : public IEditorDelegate {
 public:
  GestureLog() : store_(kParameterCount) { DefineParameters(store_); }
  const IParameter* EditorParameter(int index) const override { return store_.Parameter(index); }
  void BeginEdit(int index) override { log += "B" + std::to_string(index); }
  void SetValueFromEditor(int, double) override { log += 'A'; }
  void EndEdit(int index) override { log += "E" + std::to_string(index); }
  void TakeEditorChanges(ValueSink&) override {}
  void EditorSizeChanged() override {}
  std::string log;

 private:
  IParameterStore store_;
};

TEST(GestureEnd, DestroyingTheViewMidDragEndsTheEdit) {
  GestureLog delegate;
  auto view = std::make_unique<HeadlessEditor>(&delegate, EditorLayout::kWidth, EditorLayout::kHeight, 0);
  EditorLayout::Build(*view, delegate);
  view->PrepareDrawing();
  StartDrag(*view);
  const std::string shape = std::to_string(kFilterShape1);
  ASSERT_EQ(delegate.log, "B" + shape + "A");
  view.reset();
  EXPECT_EQ(delegate.log, "B" + shape + "AE" + shape);
}

}  // namespace
