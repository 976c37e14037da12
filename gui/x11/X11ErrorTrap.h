#pragma once
#include <X11/Xlib.h>

// Lets X requests fail without Xlib's default error handler, which exits
// the host (a host may destroy our window's parent before closing the
// editor; a parent id may be stale). The handler is process-wide, so the
// trap installs it only for its own lifetime, passes errors of other
// connections to the handler that was there before, and synchronises the
// connection before restoring it, so no error of ours arrives later.
// Host UI thread only; traps nest.
class X11ErrorTrap {
 public:
  explicit X11ErrorTrap(Display* display);
  ~X11ErrorTrap();
  X11ErrorTrap(const X11ErrorTrap&) = delete;
  X11ErrorTrap& operator=(const X11ErrorTrap&) = delete;

  // Waits for the server, then tells whether any request of this
  // connection failed since the trap was set.
  bool Failed();

 private:
  Display* display_;
  XErrorHandler previous_;
  Display* outerDisplay_;
  int outerErrors_;
};
