#include "gui/IControl.h"

#include <cmath>

#include "framework/IEditorDelegate.h"
#include "framework/IParameter.h"
#include "gui/IEditorView.h"

IControl::IControl(IEditorDelegate* plugin, const IBounds& bounds, int paramIndex, int blendMethod)
    : plugin_(plugin), bounds_(bounds), hitBounds_(bounds), paramIndex_(paramIndex) {
  blend_.method = blendMethod;
}

const IParameter* IControl::Parameter() const { return plugin_ ? plugin_->EditorParameter(paramIndex_) : nullptr; }

void IControl::OnMouseDown(int, int, const IMouseMods& mods) {
  if (mods.right) PromptUserInput();
}

void IControl::OnMouseUp(int, int, const IMouseMods&) {}
void IControl::OnMouseDrag(int, int, int, int, const IMouseMods&) {}

void IControl::OnMouseDoubleClick(int, int, const IMouseMods&) {
  if (defaultValue_ < 0.0) return;
  value_ = defaultValue_;
  MarkDirty(true);
}

void IControl::OnMouseWheel(int, int, const IMouseMods& mods, int notches) {
  value_ += notches * (mods.shift || mods.control ? 0.001 : 0.01);
  MarkDirty(true);
}

bool IControl::OnKeyDown(int, int, int) { return false; }
void IControl::OnMouseOver(int, int, const IMouseMods&) {}
void IControl::OnMouseOut() {}
void IControl::OnTextEntered(const char*) {}

void IControl::ReceiveValue(double value) {
  if (defaultValue_ < 0.0) value_ = defaultValue_ = value;
  if (value != value_) {
    value_ = value;
    MarkDirty(false);
    redrawPending_ = true;
  }
}

void IControl::ApplyUserValue(double value) {
  if (value != value_) {
    value_ = value;
    MarkDirty(true);
    redrawPending_ = true;
  }
}

void IControl::SetHidden(bool hidden) {
  hidden_ = hidden;
  redrawPending_ = true;
  MarkDirty(false);
}

void IControl::SetGrayed(bool greyed) {
  greyed_ = greyed;
  blend_.weight = greyed ? 0.25f : 1.0f;
  MarkDirty(false);
}

bool IControl::HitTest(int x, int y) const { return hitBounds_.Contains(x, y); }

void IControl::MarkDirty(bool pushToPlugin) {
  if (std::isnan(value_) || value_ < clampLow_) value_ = clampLow_;
  else if (value_ > clampHigh_) value_ = clampHigh_;
  dirty_ = true;
  if (!pushToPlugin || paramIndex_ < 0) return;
  if (view_) view_->SendParameterValue(paramIndex_, value_);
  else if (plugin_) plugin_->SetValueFromEditor(paramIndex_, value_);
}

void IControl::MarkDrawn() {
  dirty_ = redrawPending_;
  redrawPending_ = false;
}

void IControl::PromptUserInput() {
  const IParameter* parameter = Parameter();
  if (!parameter || promptDisabled_ || !view_) return;
  IBounds box = bounds_;
  if (parameter->ValueTextCount() == 0) {
    const int cx = static_cast<int>((bounds_.L + bounds_.R) * 0.5);
    const int cy = static_cast<int>((bounds_.T + bounds_.B) * 0.5);
    box = IBounds{cx - 15, cy - 8, cx + 15, cy + 8};
  }
  view_->PromptForValue(this, parameter, box);
  redrawPending_ = true;
}
