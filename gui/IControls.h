#pragma once
#include <string>

#include "gui/IControl.h"

// The editor's control kinds. All run on the window's thread.

// Draws one frame of a (possibly multi-frame) image, chosen by the value.
class IBitmapControl : public IControl {
 public:
  IBitmapControl(IEditorDelegate* plugin, int x, int y, int paramIndex, const IImage& image,
                 int blendMethod = IBlend::kNone);
  bool Draw(IEditorView& view) override;
  const IImage& Image() const { return image_; }
  // The frame (1-based) the current value shows.
  int FrameForValue() const;

 protected:
  IImage image_;
};

// Each click steps to the next frame's value and wraps to the first.
class ISwitchControl : public IBitmapControl {
 public:
  using IBitmapControl::IBitmapControl;
  void OnMouseDown(int x, int y, const IMouseMods& mods) override;
  void OnMouseDoubleClick(int x, int y, const IMouseMods& mods) override;
};

// Fixed text.
class ITextControl : public IControl {
 public:
  ITextControl(IEditorDelegate* plugin, const IBounds& bounds, const ITextStyle& style, const char* text);
  bool Draw(IEditorView& view) override;
  void SetText(const char* text) { text_ = text ? text : ""; }
  const std::string& Text() const { return text_; }

 protected:
  ITextControl(IEditorDelegate* plugin, const IBounds& bounds, int paramIndex, const ITextStyle& style);
  std::string text_;
};

// The bound parameter's display text, optionally with its unit label.
class ICaptionControl : public ITextControl {
 public:
  ICaptionControl(IEditorDelegate* plugin, const IBounds& bounds, int paramIndex, const ITextStyle& style,
                  bool showLabel);
  void OnMouseDown(int x, int y, const IMouseMods& mods) override;
  void OnMouseDoubleClick(int x, int y, const IMouseMods& mods) override;
  bool Draw(IEditorView& view) override;

 protected:
  bool showLabel_;
};

// The parameter's value text; a left click opens a menu of all its values.
class IPopUpMenu : public ICaptionControl {
 public:
  IPopUpMenu(IEditorDelegate* plugin, const IBounds& bounds, int paramIndex, const ITextStyle& style);
  void OnMouseDown(int x, int y, const IMouseMods& mods) override;
  bool Draw(IEditorView& view) override;

 private:
  int menuParamIndex_;
};

// A value read-out edited by dragging (vertical or horizontal) and the wheel.
class IDragTextControl : public ITextControl {
 public:
  enum Direction { kVertical = 0, kHorizontal = 1 };
  static constexpr double kFineFactor = 12.0;

  IDragTextControl(IEditorDelegate* plugin, const IBounds& bounds, int paramIndex, const ITextStyle& style,
                   IParameter* ownParameter, bool showValue, bool showLabel, int direction, double gearing);
  void OnMouseDrag(int x, int y, int dX, int dY, const IMouseMods& mods) override;
  void OnMouseWheel(int x, int y, const IMouseMods& mods, int notches) override;
  bool Draw(IEditorView& view) override;

 private:
  const IParameter* ShownParameter() const;

  int direction_;
  double gearing_;
  bool showValue_;
  bool showLabel_;
  IParameter* ownParameter_;
};

// An invisible area that flips its parameter between 0 and 1 on each click.
class IClickToggleControl : public IControl {
 public:
  IClickToggleControl(IEditorDelegate* plugin, const IBounds& bounds, int paramIndex);
  void OnMouseDown(int x, int y, const IMouseMods& mods) override;
  bool Draw(IEditorView& view) override;
};
