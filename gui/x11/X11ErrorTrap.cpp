#include "gui/x11/X11ErrorTrap.h"

namespace {
// The connection being trapped and its error count; only the host's UI
// thread sets a trap.
Display* g_display = nullptr;
int g_errors = 0;
XErrorHandler g_previous = nullptr;

int OnXError(Display* display, XErrorEvent* event) {
  if (display == g_display) {
    ++g_errors;
    return 0;
  }
  return g_previous ? g_previous(display, event) : 0;
}
}  // namespace

X11ErrorTrap::X11ErrorTrap(Display* display)
    : display_(display), previous_(nullptr), outerDisplay_(g_display), outerErrors_(g_errors) {
  previous_ = XSetErrorHandler(OnXError);
  if (previous_ != OnXError) g_previous = previous_;
  g_display = display_;
  g_errors = 0;
}

X11ErrorTrap::~X11ErrorTrap() {
  XSync(display_, False);
  g_display = outerDisplay_;
  g_errors = outerErrors_;
  XSetErrorHandler(previous_);
}

bool X11ErrorTrap::Failed() {
  XSync(display_, False);
  return g_errors != 0;
}
