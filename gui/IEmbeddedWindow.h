#pragma once
// The editor's window as a plug-in format sees it: a native child window
// inside the one the host gives, opened, idled, fed the host's keys and
// closed. Every format's editor glue (the VST opcodes, the LV2 UI) holds
// this and nothing of a window layer; each window layer implements it
// through IEditorView.
//
// Threads: the host's UI thread only. CloseWindow may call the host (it
// ends an edit the close cuts short), so callers hold nothing the host
// could be waiting for.
#include <functional>

class IEmbeddedWindow {
 public:
  virtual ~IEmbeddedWindow() = default;
  // Opens as a child of the host's window (an HWND, an X11 Window id) and
  // returns the window's own handle; null when it cannot be opened. A
  // second opening closes the first.
  virtual void* OpenWindow(void* parentWindow) = 0;
  // Closes the window; a mouse gesture in progress ends (the host is told
  // the edit ended).
  virtual void CloseWindow() = 0;
  // The open window's handle; null when closed or destroyed by the host.
  virtual void* GetWindow() = 0;
  // The host's idle tick: window layers with no timer of their own (X11)
  // handle their events and redraw here.
  virtual void IdleWindow() {}
  // A key the host took from its own window (an ASCII character and a
  // virtual key code numbered as VST 2.4 hosts send them): true when the
  // editor used it, so the host does not act on it as a shortcut as well.
  virtual bool HostKey(int character, int virtualKey, int modifiers, bool down) {
    (void)character, (void)virtualKey, (void)modifiers, (void)down;
    return false;
  }
  // A file descriptor that becomes readable when the open window has
  // events waiting (its X connection), for hosts that drive the editor from
  // their own event loop; IdleWindow handles them. -1 when there is none.
  virtual int EventDescriptor() { return -1; }
  // The window's fixed size in pixels (at the display scale in use).
  virtual int Width() const = 0;
  virtual int Height() const = 0;
  // The host's display scale factor (1.5 for 150 %), whenever the host
  // sends one, before or after opening; 0 or less forgets it. An open
  // window that changes size tells the resize listener.
  virtual void SetHostScale(double factor) { (void)factor; }
  // Called with the new size (pixels) whenever the size changes, open or
  // not; the format passes it on to the host.
  using ResizeListener = std::function<void(int width, int height)>;
  virtual void SetResizeListener(ResizeListener listener) { (void)listener; }
  // Asks the system for its display scale while the window is closed, so
  // Width and Height are right before opening (once open, the window's own
  // display or monitor says).
  virtual void QuerySystemScale() {}
};
