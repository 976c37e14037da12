#pragma once
#include <lv2/ui/ui.h>

#include <cstdint>

#include "framework/IParameterStore.h"
#include "framework/StoreEditorDelegate.h"

// The editor's path to an LV2 plug-in it cannot reach directly: the plug-in
// runs in the host (maybe another process), so every value crosses a
// control port. Values in arrive through PortEvent (the host's port_event,
// float protocol, in the parameter's own units) and are kept in a store of
// the UI's own, whose editor flags the view drains on its tick; values out
// go to the host's write_function, in own units; gestures are bracketed
// with ui:touch when the host offers it.
//
// Threads: the host's UI thread only (LV2 UIs are single-threaded).
class PortEditorDelegate : public StoreEditorDelegate {
 public:
  using WriteFunction = void (*)(void* controller, uint32_t port, uint32_t size, uint32_t protocol,
                                 const void* buffer);

  // touch may be null (the host does not record gestures).
  PortEditorDelegate(WriteFunction write, void* controller, const LV2UI_Touch* touch);

  // port_event: a float on a parameter port updates the UI's copy (limited
  // to the range) and raises its editor flag. Other ports and protocols,
  // and a value equal to the one shown (the host's echo of an edit), change
  // nothing.
  void PortEvent(uint32_t port, uint32_t size, uint32_t protocol, const void* buffer);

  // ---- The store delegate's host calls: ui:touch and the port write ---------
  void HostBeginEdit(int index) override { Touch(index, true); }
  void HostPerformEdit(int index, double normalised) override;
  void HostEndEdit(int index) override { Touch(index, false); }
  // The port carries a float: the UI's copy keeps exactly that.
  bool KeepEdit(int index, double normalised) override;

 private:
  void Touch(int index, bool grabbed);

  IParameterStore values_;
  WriteFunction write_;
  void* controller_;
  const LV2UI_Touch* touch_;
};
