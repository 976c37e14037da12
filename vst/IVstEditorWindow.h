#pragma once
// What the binding needs of an editor view beyond IAttachedEditor: a native
// window inside the host's. An attached view that also implements this
// interface can be opened by effEditOpen; one that does not reports that it
// has no window (effEditOpen answers 0).
//
// Both calls come from the host's UI thread with the plug-in lock held; the
// window never calls the host from inside them.

class IVstEditorWindow {
 public:
  virtual ~IVstEditorWindow() = default;
  // Opens the editor as a child of the host's window; returns its own
  // window handle, or null when it could not be opened.
  virtual void* OpenWindow(void* parentWindow) = 0;
  virtual void CloseWindow() = 0;
  // effEditIdle, called without the plug-in lock: window layers that have no
  // timer of their own (X11) handle their events and redraw here.
  virtual void IdleWindow() {}
  // effEditKeyDown / effEditKeyUp: true when the editor used the key, so the
  // host does not act on it as a shortcut as well.
  virtual bool HostKey(int character, int virtualKey, int modifiers, bool down) {
    (void)character, (void)virtualKey, (void)modifiers, (void)down;
    return false;
  }
};
