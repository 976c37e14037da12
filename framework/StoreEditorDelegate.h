#pragma once
#include "framework/IEditorDelegate.h"
#include "framework/IParameterStore.h"

// The editor delegate every plug-in format builds on: the parameter
// definitions and the values the editor shows come from one parameter
// store (the editor drains its editor flags on each tick), and an edit is
// kept there before the format tells its host. A format adds only its host
// calls for begin, perform and end of an edit, and how it keeps a value
// when that differs.
//
// Threads: the editor's (UI) thread, as IEditorDelegate.
class StoreEditorDelegate : public IEditorDelegate {
 public:
  // `store` must outlive this; it need not be constructed yet.
  explicit StoreEditorDelegate(IParameterStore& store) : store_(store) {}

  const IParameter* EditorParameter(int index) const override { return store_.Parameter(index); }
  // For a valid index only: the host never hears of one it does not know.
  void BeginEdit(int index) override;
  void SetValueFromEditor(int index, double normalised) override;
  void EndEdit(int index) override;
  void TakeEditorChanges(ValueSink& sink) override;
  void EditorSizeChanged() override {}

 protected:
  ~StoreEditorDelegate() override = default;
  virtual void HostBeginEdit(int index) = 0;
  // The edit as the editor made it; the store holds it as KeepEdit left it.
  virtual void HostPerformEdit(int index, double normalised) = 0;
  virtual void HostEndEdit(int index) = 0;
  // Keeps an edit in the store; false when nothing changed. By default the
  // value is set without raising the editor's flag: the view shows the
  // edit already.
  virtual bool KeepEdit(int index, double normalised);

  IParameterStore& store_;
};
