#include "gui/IControls.h"

#include <algorithm>

#include "framework/IEditorDelegate.h"
#include "framework/IParameter.h"
#include "gui/IEditorView.h"

// ---- IBitmapControl ---------------------------------------------------------------

IBitmapControl::IBitmapControl(IEditorDelegate* plugin, int x, int y, int paramIndex, const IImage& image,
                               int blendMethod)
    : IControl(plugin, IBounds{x, y, x + image.width, y + image.height / std::max(1, image.frames)},
               paramIndex, blendMethod),
      image_(image) {}

int IBitmapControl::FrameForValue() const {
  if (image_.frames < 2) return 1;
  const int frame = static_cast<int>((image_.frames - 1) * value_ + 0.5) + 1;
  return std::clamp(frame, 1, image_.frames);
}

bool IBitmapControl::Draw(IEditorView& view) {
  return view.DrawImageFrame(image_, Bounds(), FrameForValue(), &Blend());
}

// ---- ISwitchControl -----------------------------------------------------------------

void ISwitchControl::OnMouseDown(int, int, const IMouseMods& mods) {
  if (mods.right) {
    PromptUserInput();
    return;
  }
  value_ += image_.frames < 2 ? 1.0 : 1.0 / (image_.frames - 1);
  if (!(value_ <= 1.001)) value_ = 0.0;
  MarkDirty(true);
}

void ISwitchControl::OnMouseDoubleClick(int x, int y, const IMouseMods& mods) { OnMouseDown(x, y, mods); }

// ---- ITextControl -------------------------------------------------------------------

ITextControl::ITextControl(IEditorDelegate* plugin, const IBounds& bounds, const ITextStyle& style, const char* text)
    : ITextControl(plugin, bounds, -1, style) {
  SetText(text);
}

ITextControl::ITextControl(IEditorDelegate* plugin, const IBounds& bounds, int paramIndex, const ITextStyle& style)
    : IControl(plugin, bounds, paramIndex, IBlend::kNone) {
  SetTextStyle(style);
}

bool ITextControl::Draw(IEditorView& view) {
  if (text_.empty()) return true;
  return view.DrawText(TextStyle(), text_.c_str(), Bounds());
}

// ---- ICaptionControl -----------------------------------------------------------------

ICaptionControl::ICaptionControl(IEditorDelegate* plugin, const IBounds& bounds, int paramIndex,
                                 const ITextStyle& style, bool showLabel)
    : ITextControl(plugin, bounds, paramIndex, style), showLabel_(showLabel) {}

void ICaptionControl::OnMouseDown(int, int, const IMouseMods& mods) {
  if (mods.left || mods.right) PromptUserInput();
}

void ICaptionControl::OnMouseDoubleClick(int, int, const IMouseMods&) { PromptUserInput(); }

bool ICaptionControl::Draw(IEditorView& view) {
  // The view's copy of the value, in the parameter's own units.
  const IParameter* parameter = Parameter();
  if (!parameter) return true;
  char text[IParameter::kTextSize];
  parameter->DisplayText(view.ParameterValue(ParamIndex()), false, text, true);
  text_ = text;
  if (showLabel_) (text_ += ' ') += parameter->Label();
  return ITextControl::Draw(view);
}

// ---- IPopUpMenu ------------------------------------------------------------------------

IPopUpMenu::IPopUpMenu(IEditorDelegate* plugin, const IBounds& bounds, int paramIndex, const ITextStyle& style)
    : ICaptionControl(plugin, bounds, paramIndex, style, false), menuParamIndex_(paramIndex) {}

void IPopUpMenu::OnMouseDown(int x, int y, const IMouseMods& mods) {
  IEditorDelegate* plugin = Plugin();
  const IParameter* parameter = plugin ? plugin->EditorParameter(menuParamIndex_) : nullptr;
  // A menu of fewer than two values has nothing to choose between (and its
  // values could not be spread over 0..1).
  const int count = parameter ? parameter->ValueTextCount() : 0;
  if (mods.left && View() && count >= 2) {
    auto menu = std::make_unique<IMenu>();
    menu->atCursor = true;
    for (int k = 0; k < count; ++k) menu->items.push_back(IMenuItem{parameter->ValueText(k), nullptr, 0});
    const int current = static_cast<int>(View()->ParameterValue(menuParamIndex_));
    if (current >= 0 && current < count) menu->current = current;
    const int param = menuParamIndex_;
    IEditorView* view = View();
    view->RunMenu(std::move(menu), IBounds{x, y, x + 1, y + 1}, param, [view, param, count](int chosen) {
      if (chosen >= 0) view->SendParameterValue(param, static_cast<double>(chosen) / (count - 1));
    });
  }
  // The choice, if any, was sent by the menu; a dismissed menu sends
  // nothing and leaves the program unedited.
  MarkDirty(false);
}

bool IPopUpMenu::Draw(IEditorView& view) {
  IEditorDelegate* plugin = Plugin();
  const IParameter* parameter = plugin ? plugin->EditorParameter(menuParamIndex_) : nullptr;
  if (!parameter) return true;
  char text[IParameter::kTextSize];
  parameter->DisplayText(view.ParameterValue(menuParamIndex_), false, text, true);
  text_ = text;
  return ITextControl::Draw(view);
}

// ---- IDragTextControl --------------------------------------------------------------------

IDragTextControl::IDragTextControl(IEditorDelegate* plugin, const IBounds& bounds, int paramIndex,
                                   const ITextStyle& style, IParameter* ownParameter, bool showValue,
                                   bool showLabel, int direction, double gearing)
    : ITextControl(plugin, bounds, paramIndex, style),
      direction_(direction),
      gearing_(gearing),
      showValue_(showValue),
      showLabel_(showLabel),
      ownParameter_(ownParameter) {}

const IParameter* IDragTextControl::ShownParameter() const {
  if (const IParameter* bound = Parameter()) return bound;
  return ownParameter_;
}

void IDragTextControl::OnMouseDrag(int, int, int dX, int dY, const IMouseMods& mods) {
  const double g = gearing_ * (mods.shift || mods.control ? kFineFactor : 1.0);
  const IBounds& b = Bounds();
  // Screen y grows downwards: moving up (dY < 0) raises the value.
  if (direction_ == kVertical) value_ += dY / static_cast<double>(b.T - b.B) / g;
  else value_ += dX / static_cast<double>(b.R - b.L) / g;
  MarkDirty(true);
}

void IDragTextControl::OnMouseWheel(int, int, const IMouseMods& mods, int notches) {
  const IParameter* parameter = ShownParameter();
  if (parameter && parameter->Step() != 0.0) {
    // One notch moves the parameter by its own step, in its own units.
    const double at = parameter->ValueOfNormalised(std::clamp(value_, 0.0, 1.0));
    value_ = parameter->NormalisedOf(at + notches * parameter->Step());
  } else {
    value_ += notches * (mods.shift || mods.control ? 0.001 : 0.01);
  }
  value_ = std::clamp(value_, 0.0, 1.0);
  MarkDirty(true);
}

bool IDragTextControl::Draw(IEditorView& view) {
  if (ownParameter_ && !Parameter()) ownParameter_->SetFromNormalised(value_);
  const IParameter* parameter = ShownParameter();
  text_.clear();
  if (parameter && showValue_) {
    char text[IParameter::kTextSize];
    const double shown = Parameter() ? view.ParameterValue(ParamIndex()) : parameter->Value();
    parameter->DisplayText(shown, false, text, true);
    text_ = text;
    if (showLabel_) text_ += parameter->Label();
  }
  return ITextControl::Draw(view);
}

// ---- IClickToggleControl -------------------------------------------------------------------

IClickToggleControl::IClickToggleControl(IEditorDelegate* plugin, const IBounds& bounds, int paramIndex)
    : IControl(plugin, bounds, paramIndex, IBlend::kCopy) {}

void IClickToggleControl::OnMouseDown(int, int, const IMouseMods&) {
  value_ = value_ < 0.5 ? 1.0 : 0.0;
  MarkDirty(true);
}

bool IClickToggleControl::Draw(IEditorView&) { return true; }
