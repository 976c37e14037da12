#pragma once
#include "gui/IGraphicsTypes.h"

class IEditorDelegate;
class IEditorView;
class IParameter;

// A rectangle of the editor that draws itself and turns mouse gestures into
// values of one plug-in parameter (or of none, index -1). Values are held
// normalised (0..1). Every user change goes to the plug-in through the
// view (SendParameterValue); values from the plug-in arrive through
// ReceiveValue. Texts are drawn from the view's copy of the values.
//
// Threads: the window's thread only.
class IControl {
 public:
  IControl(IEditorDelegate* plugin, const IBounds& bounds, int paramIndex = -1, int blendMethod = IBlend::kNone);
  virtual ~IControl() = default;
  IControl(const IControl&) = delete;
  IControl& operator=(const IControl&) = delete;

  virtual void OnMouseDown(int x, int y, const IMouseMods& mods);
  virtual void OnMouseUp(int x, int y, const IMouseMods& mods);
  virtual void OnMouseDrag(int x, int y, int dX, int dY, const IMouseMods& mods);
  virtual void OnMouseDoubleClick(int x, int y, const IMouseMods& mods);
  virtual void OnMouseWheel(int x, int y, const IMouseMods& mods, int notches);
  virtual bool OnKeyDown(int x, int y, int key);
  virtual void OnMouseOver(int x, int y, const IMouseMods& mods);
  virtual void OnMouseOut();
  virtual bool Draw(IEditorView& view) = 0;
  // A value from the plug-in; the first one becomes the default.
  virtual void ReceiveValue(double value);
  virtual void OnTextEntered(const char* text);
  virtual void SetHidden(bool hidden);
  virtual void SetGrayed(bool greyed);
  virtual bool HitTest(int x, int y) const;
  // Clamps the value, marks the control for redraw and, with pushToPlugin,
  // sends the value to the plug-in.
  virtual void MarkDirty(bool pushToPlugin);
  virtual void MarkDrawn();
  virtual bool NeedsRedraw() const { return dirty_; }
  virtual void Reserved() {}

  // A value the user chose through a prompt or menu.
  void ApplyUserValue(double value);
  // Opens a value menu or text entry through the view (when enabled).
  void PromptUserInput();

  void SetView(IEditorView* view) { view_ = view; }
  IEditorView* View() const { return view_; }
  IEditorDelegate* Plugin() const { return plugin_; }
  // The bound parameter's definition, or null.
  const IParameter* Parameter() const;
  int ParamIndex() const { return paramIndex_; }
  const IBounds& Bounds() const { return bounds_; }
  const IBounds& HitBounds() const { return hitBounds_; }
  void SetHitBounds(const IBounds& bounds) { hitBounds_ = bounds; }
  double Value() const { return value_; }
  double DefaultValue() const { return defaultValue_; }
  void SetClamp(double low, double high) { clampLow_ = low, clampHigh_ = high; }
  bool IsHidden() const { return hidden_; }
  bool IsGrayed() const { return greyed_; }
  bool MouseOverWhenGrayed() const { return mouseOverWhenGreyed_; }
  bool DoubleClickAsMouseDown() const { return doubleClickAsMouseDown_; }
  void SetDoubleClickAsMouseDown(bool on) { doubleClickAsMouseDown_ = on; }
  void SetPromptEnabled(bool enabled) { promptDisabled_ = !enabled; }
  bool RedrawPending() const { return redrawPending_; }
  ITextStyle& TextStyle() { return textStyle_; }
  int TextEntryLimit() const { return textEntryLimit_; }
  const IBlend& Blend() const { return blend_; }

 protected:
  void SetTextStyle(const ITextStyle& style) { textStyle_ = style; }
  double value_ = 0.0;

 private:
  int textEntryLimit_ = 7;
  ITextStyle textStyle_;
  IEditorDelegate* plugin_;
  IEditorView* view_ = nullptr;  // set when the view takes the control
  IBounds bounds_;
  IBounds hitBounds_;
  int paramIndex_;
  double defaultValue_ = -1.0;
  double clampLow_ = 0.0;
  double clampHigh_ = 1.0;
  bool dirty_ = true;
  bool hidden_ = false;
  bool greyed_ = false;
  bool redrawPending_ = false;
  bool promptDisabled_ = true;
  bool doubleClickAsMouseDown_ = false;
  bool mouseOverWhenGreyed_ = false;
  IBlend blend_;
};
