#pragma once

class IParameter;

// The one path between an editor and the plug-in it edits: parameter
// definitions to draw with, an edit gesture (begin, values, end) out, and
// the values that changed since the last tick in. An editor in another
// process (an LV2 UI) implements the same few calls over its ports.
//
// Threads: the editor's (UI) thread only.
class IEditorDelegate {
 public:
  // Receives one changed value, in the parameter's own units.
  class ValueSink {
   public:
    virtual void ReceiveParameterValue(int index, double value) = 0;

   protected:
    ~ValueSink() = default;
  };

  virtual ~IEditorDelegate() = default;
  // Definitions only (kind, range, texts): an editor shows its own copy of
  // the values, never one another thread is writing.
  virtual const IParameter* EditorParameter(int index) const = 0;
  virtual void BeginEdit(int index) = 0;
  virtual void SetValueFromEditor(int index, double normalised) = 0;
  virtual void EndEdit(int index) = 0;
  // Hands every value that changed since the last call to sink; the editor
  // calls it on each of its ticks.
  virtual void TakeEditorChanges(ValueSink& sink) = 0;
  // The editor's size changed (the host is told the new rectangle).
  virtual void EditorSizeChanged() = 0;
};
