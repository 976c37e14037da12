#pragma once

// What the plug-in base needs of an editor view (gui/IEditorView implements
// it): the base owns the view once it is attached and pushes parameter
// values into it.
// Calls come while the plug-in is built (attachment) or on the editor's own
// thread; values that change later are taken by the editor on its tick
// (IEditorDelegate::TakeEditorChanges), never pushed from another thread.
class IAttachedEditor {
 public:
  virtual ~IAttachedEditor() = default;
  // Shows a parameter value on every control bound to `index`.
  virtual void PushParameterToControls(int index, double value, bool isNormalised) = 0;
  // Builds whatever drawing state the view needs before its window opens.
  virtual void PrepareDrawing() = 0;
  virtual int Width() const = 0;
  virtual int Height() const = 0;
};
