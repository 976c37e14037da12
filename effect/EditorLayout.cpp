#include "effect/EditorLayout.h"

#include <cstring>

#include "effect/ParameterIds.h"
#include "framework/IParameter.h"
#include "framework/NumberFormat.h"
#include "gui/IControls.h"
#include "gui/IEditorView.h"
#include "gui/ISizeMenu.h"

namespace {

ITextStyle WhiteLeft(int size) {
  ITextStyle style;
  style.size = size;
  style.colour = IRgba{255, 255, 255, 255};
  style.align = ITextStyle::kAlignLeft;
  return style;
}

// Read-outs edit by vertical drag: 25 px x 4 for the full range.
constexpr double kGearing = 4.0;

IControl* ReadOut(IEditorDelegate& plugin, const IBounds& bounds, int param, const ITextStyle& style) {
  return new IDragTextControl(&plugin, bounds, param, style, nullptr, true, true,
                              IDragTextControl::kVertical, kGearing);
}

struct ModuleControl {
  bool menu;  // a value menu rather than a drag read-out
  IBounds bounds;
  int param;
};

// The module read-outs, in list order from index 74.
const ModuleControl kModuleControls[] = {
    {false, {25, 100, 110, 125}, kFilterFreq1},      {false, {112, 100, 197, 125}, kFilterRes1},
    {false, {175, 100, 260, 125}, kFilterShape1},    {false, {25, 175, 110, 200}, kFilterFreq2},
    {false, {112, 175, 197, 200}, kFilterRes2},      {false, {173, 175, 258, 200}, kFilterShape2},
    {true, {25, 270, 110, 295}, kDelayLengthQuarters1}, {false, {112, 270, 197, 295}, kDelayLengthFine1},
    {false, {173, 270, 258, 295}, kDelayFeedback1},  {true, {25, 345, 110, 370}, kDelayLengthQuarters2},
    {false, {112, 345, 197, 370}, kDelayLengthFine2}, {false, {173, 345, 258, 370}, kDelayFeedback2},
    {false, {25, 435, 110, 460}, kEnvAttack},        {false, {112, 435, 197, 460}, kEnvRelease},
    {false, {173, 435, 258, 460}, kGain},            {false, {295, 435, 380, 460}, kMaster1},
    {false, {382, 435, 467, 460}, kMaster2},         {false, {460, 435, 545, 460}, kDryWetMix},
    {false, {570, 435, 655, 460}, kPan1},            {false, {660, 435, 745, 460}, kPan2},
    {false, {570, 100, 655, 125}, kLfoRate1},        {false, {660, 100, 745, 125}, kLfoShape1},
    {false, {735, 100, 820, 125}, kLfoPhase1},       {false, {570, 175, 655, 200}, kLfoRate2},
    {false, {660, 175, 745, 200}, kLfoShape2},       {false, {735, 175, 820, 200}, kLfoPhase2},
    {false, {570, 270, 655, 295}, kCrusherBits1},    {false, {660, 270, 745, 295}, kCrusherRate1},
    {false, {570, 345, 655, 370}, kCrusherBits2},    {false, {660, 345, 745, 370}, kCrusherRate2},
};

// One matrix page: per row an amount read-out, a source menu and a
// destination menu. Row n's parameters are first + 3(n - 1) + {0, 1, 2}
// (source, destination, amount).
void AddMatrixPage(IEditorView& view, IEditorDelegate& plugin, int firstParam, const ITextStyle& style) {
  for (int row = 0; row < 12; ++row) {
    const int y = 85 + 25 * row;
    const int source = firstParam + 3 * row;
    view.AddControl(ReadOut(plugin, {510, y, 610, y + 20}, source + 2, style));
    view.AddControl(new IPopUpMenu(&plugin, {275, y, 375, y + 20}, source, style));
    view.AddControl(new IPopUpMenu(&plugin, {375, y, 475, y + 20}, source + 1, style));
  }
}

}  // namespace

void EditorLayout::Build(IEditorView& view, IEditorDelegate& plugin) {
  const ITextStyle matrix = WhiteLeft(14);
  const ITextStyle module = WhiteLeft(19);

  view.SetBackground(kBackgroundId, kBackgroundFile);
  AddMatrixPage(view, plugin, kAudioIn1, matrix);
  AddMatrixPage(view, plugin, kModIn1, matrix);
  const IImage selector = view.LoadImage(kSelectorId, kSelectorFile, 2);
  view.AddControl(new ISwitchControl(&plugin, 330, 35, kMatrixTab, selector, IBlend::kNone));
  for (const ModuleControl& c : kModuleControls)
    view.AddControl(c.menu ? static_cast<IControl*>(new IPopUpMenu(&plugin, c.bounds, c.param, module))
                           : ReadOut(plugin, c.bounds, c.param, module));
  view.AddControl(new ITextControl(&plugin, {20, 480, 80, 500}, matrix, "lfo reset"));
  view.AddControl(new IClickToggleControl(&plugin, {20, 480, 80, 500}, kLfoReset));
  view.AddControl(new IPopUpMenu(&plugin, {170, 480, 270, 500}, kSoftClip, matrix));
  view.AddControl(new IPopUpMenu(&plugin, {320, 480, 440, 500}, kControlRate, matrix));
  ITextStyle size = matrix;
  size.align = ITextStyle::kAlignRight;
  size.colour = IRgba{255, 140, 140, 140};
  view.AddControl(new ISizeMenu(&plugin, {690, 480, 790, 500}, size));
  // The central panel follows the page parameter, whoever changes it.
  view.SetValueObserver([](IEditorView& shown, int param, double value) {
    if (param == kMatrixTab) ShowMatrixPage(shown, TruncateToInt(value) != 0);
  });
}

std::unique_ptr<IEditorView> EditorLayout::BuildEditor(IEditorDelegate& delegate, EditorFactory factory) {
  std::unique_ptr<IEditorView> view(factory ? factory(&delegate, kWidth, kHeight, 0) : nullptr);
  if (!view) return nullptr;
  Build(*view, delegate);
  for (int index = 0; index < kParameterCount; ++index)
    if (const IParameter* parameter = delegate.EditorParameter(index))
      view->PushParameterToControls(index, parameter->Value(), false);
  view->PrepareDrawing();
  ShowMatrixPage(*view, view->ParameterValue(kMatrixTab) != 0.0);
  return view;
}

void EditorLayout::ShowMatrixPage(IEditorView& view, bool modPage) {
  for (int i = kAudioPageFirst; i <= kAudioPageLast; ++i)
    if (IControl* control = view.GetControl(i)) control->SetHidden(modPage);
  for (int i = kModPageFirst; i <= kModPageLast; ++i)
    if (IControl* control = view.GetControl(i)) control->SetHidden(!modPage);
}
