#include "gui/x11/X11EditorWindow.h"

#include <dlfcn.h>
#include <unistd.h>

#include <charconv>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "gui/EditorFactory.h"
#include "raster/Bitmap.h"
// Xlib last: its macros (None, Status, Bool) would clash with the headers above.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include "gui/x11/X11ErrorTrap.h"
#include "gui/x11/X11Surface.h"

namespace {
constexpr long kEventMask = ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask |
                            LeaveWindowMask | StructureNotifyMask;

// The screen's default visual when it is TrueColor, else a TrueColor visual
// of depth 24 or 16; null when the screen has none.
Visual* ChooseVisual(Display* display, int screen, int* depth) {
  Visual* visual = DefaultVisual(display, screen);
  if (visual->c_class == TrueColor) {
    *depth = DefaultDepth(display, screen);
    return visual;
  }
  XVisualInfo info;
  for (int wanted : {24, 16})
    if (XMatchVisualInfo(display, screen, wanted, TrueColor, &info)) {
      *depth = wanted;
      return info.visual;
    }
  return nullptr;
}

// The display's scale from Xft.dpi (96 dpi is 100 %), looked up as Xft
// itself looks it up, wildcards and all; 0 when it says nothing usable.
int XftScale(Display* display) {
  const char* value = XGetDefault(display, "Xft", "dpi");
  if (!value) return 0;
  double dpi = 0.0;
  const char* end = value + std::strlen(value);
  if (std::from_chars(value, end, dpi).ec != std::errc() || !(dpi > 0.0)) return 0;
  return EditorScale::Snap(dpi / 96.0);
}

// The folder of a file path, with its trailing slash; empty without one.
void FolderOf(const char* path, std::string& out) {
  out = path ? path : "";
  const size_t slash = out.rfind('/');
  out.erase(slash == std::string::npos ? 0 : slash + 1);
}
}  // namespace

IEditorView* CreatePlatformEditor(IEditorDelegate* plugin, int width, int height, int frameRate) {
  return X11EditorWindow::Create(plugin, width, height, frameRate);
}

X11EditorWindow::X11EditorWindow(IEditorDelegate* plugin, int width, int height, int frameRate)
    : IEditorView(plugin, width, height, frameRate) {}

X11EditorWindow::~X11EditorWindow() { CloseWindow(); }

IEditorView* X11EditorWindow::Create(IEditorDelegate* plugin, int width, int height, int frameRate) {
  return new X11EditorWindow(plugin, width, height, frameRate);
}

void* X11EditorWindow::GetWindow() {
  return display_ && !windowGone_ ? reinterpret_cast<void*>(static_cast<uintptr_t>(window_)) : nullptr;
}

int X11EditorWindow::EventDescriptor() { return display_ ? ConnectionNumber(display_) : -1; }

void* X11EditorWindow::OpenWindow(void* parentWindow) {
  CloseWindow();
  const Window parent = static_cast<Window>(reinterpret_cast<uintptr_t>(parentWindow));
  // A scanning host without an X server: answer without touching Xlib,
  // which would complain on stderr.
  const char* name = std::getenv("DISPLAY");
  if (!parent || !name || !*name) return nullptr;
  display_ = XOpenDisplay(nullptr);
  if (!display_) return nullptr;
  SetSystemScale(XftScale(display_));
  bool failed = true;
  {
    X11ErrorTrap trap(display_);
    XWindowAttributes parentAttributes;
    int depth = 0;
    Visual* visual = nullptr;
    if (XGetWindowAttributes(display_, parent, &parentAttributes) && !trap.Failed()) {
      const int screen = XScreenNumberOfScreen(parentAttributes.screen);
      visual = ChooseVisual(display_, screen, &depth);
      if (visual) {
        // An explicit colormap and border pixel: a parent of another depth
        // (32-bit hosts) refuses a child that inherits them.
        colormap_ = XCreateColormap(display_, RootWindow(display_, screen), visual, AllocNone);
        XSetWindowAttributes attributes{};
        attributes.colormap = colormap_;
        attributes.border_pixel = 0;
        attributes.background_pixmap = None;
        attributes.event_mask = eventMask_ = kEventMask;
        window_ = XCreateWindow(display_, parent, 0, 0, static_cast<unsigned>(Width()),
                                static_cast<unsigned>(Height()), 0, depth, InputOutput, visual,
                                CWColormap | CWBorderPixel | CWBackPixmap | CWEventMask, &attributes);
      }
    }
    if (window_) {
      SetSizeHints();
      // XEmbed: protocol version 0, mapped.
      const Atom xembedInfo = XInternAtom(display_, "_XEMBED_INFO", False);
      const long info[2] = {0, 1};
      XChangeProperty(display_, window_, xembedInfo, xembedInfo, 32, PropModeReplace,
                      reinterpret_cast<const unsigned char*>(info), 2);
      XMapWindow(display_, window_);
      failed = trap.Failed();
      visual_ = visual, depth_ = depth;
      if (!failed) surface_ = std::make_unique<X11Surface>(display_, window_, visual, depth, Width(), Height());
    }
  }
  if (failed) {
    CloseWindow();
    return nullptr;
  }
  // The backing store is complete before the first Expose asks for it.
  SyncWithPlugin();
  MarkAllControlsDirty();
  {
    X11ErrorTrap trap(display_);
    Draw(IBounds{0, 0, Width(), Height()});
  }
  lastRedraw_ = std::chrono::steady_clock::now();
  XFlush(display_);
  return GetWindow();
}

void X11EditorWindow::SetSizeHints() {
  XSizeHints* hints = XAllocSizeHints();
  if (!hints) return;
  // A fixed size: base, minimum and maximum alike (suil sizes its socket
  // from these).
  hints->flags = PSize | PBaseSize | PMinSize | PMaxSize;
  hints->width = hints->base_width = hints->min_width = hints->max_width = Width();
  hints->height = hints->base_height = hints->min_height = hints->max_height = Height();
  XSetWMNormalHints(display_, window_, hints);
  XFree(hints);
}

void X11EditorWindow::QuerySystemScale() {
  // Known since the window opened, or asked already since it closed: hosts
  // may ask for the size often, and each question is a connection.
  if (display_ || systemScaleAsked_) return;
  systemScaleAsked_ = true;
  const char* name = std::getenv("DISPLAY");
  if (!name || !*name) return;
  if (Display* display = XOpenDisplay(nullptr)) {
    SetSystemScale(XftScale(display));
    XCloseDisplay(display);
  }
}

void X11EditorWindow::ScaleChanged() {
  if (menu_.IsOpen()) CloseMenu(-1);
  if (!display_ || !window_ || windowGone_) return;
  X11ErrorTrap trap(display_);
  SetSizeHints();
  XResizeWindow(display_, window_, static_cast<unsigned>(Width()), static_cast<unsigned>(Height()));
  surface_.reset();  // one surface at a time: at 300 % each holds megabytes
  surface_ = std::make_unique<X11Surface>(display_, window_, static_cast<Visual*>(visual_), depth_, Width(), Height());
  Draw(IBounds{0, 0, Width(), Height()});
  XFlush(display_);
}

void X11EditorWindow::CloseNativeWindow() {
  if (!display_) {
    if (menu_.IsOpen()) CloseMenu(-1);
    return;
  }
  {
    // Closing the menu repaints the window, which the host may have
    // destroyed already: under the trap like every other request here.
    X11ErrorTrap trap(display_);
    if (menu_.IsOpen()) CloseMenu(-1);
    surface_.reset();
    if (window_ && !windowGone_) XDestroyWindow(display_, window_);
    if (colormap_) XFreeColormap(display_, colormap_);
  }
  XCloseDisplay(display_);
  display_ = nullptr;
  systemScaleAsked_ = false;
  window_ = colormap_ = 0;
  windowGone_ = false;
  exposed_ = IBounds{};
  viewButtons_ = menuButtons_ = 0;
  clickArmed_ = false;
  pointerX_ = pointerY_ = -1;
  keysUsed_.reset();
}

bool X11EditorWindow::PresentToScreen(const IBounds& bounds) {
  Present(bounds);
  return true;
}

void X11EditorWindow::Present(const IBounds& bounds) {
  raster::Bitmap* backing = BackingStore();
  if (!surface_ || windowGone_ || !backing || bounds.Empty()) return;
  surface_->Put(*backing, bounds.L, bounds.T, bounds);
  // The open menu lies over the panel.
  if (raster::Bitmap* picture = menu_.Picture()) {
    const IBounds& at = menu_.Bounds();
    const IBounds overlap = bounds.Intersect(at);
    if (!overlap.Empty()) surface_->Put(*picture, overlap.L - at.L, overlap.T - at.T, overlap);
  }
}

void X11EditorWindow::RedrawIfDue() {
  const auto now = std::chrono::steady_clock::now();
  if (now - lastRedraw_ < std::chrono::milliseconds(1000 / FrameRate())) return;
  IBounds dirty;
  if (CollectDirtyBounds(&dirty)) {
    lastRedraw_ = now;
    Draw(dirty);
  }
}

void X11EditorWindow::IdleWindow() {
  if (!display_) return;
  X11ErrorTrap trap(display_);
  SyncWithPlugin();
  // A core-closed menu (controls rebuilt) takes its picture along.
  if (menu_.IsOpen() && !PendingMenu()) CloseMenu(-1);
  while (display_ && XPending(display_)) {
    XEvent event;
    XNextEvent(display_, &event);
    // Only the newest of consecutive motions matters.
    while (event.type == MotionNotify && XEventsQueued(display_, QueuedAlready)) {
      XEvent next;
      XPeekEvent(display_, &next);
      if (next.type != MotionNotify || next.xmotion.window != event.xmotion.window) break;
      XNextEvent(display_, &event);
    }
    HandleEvent(event);
  }
  RedrawIfDue();
  if (!exposed_.Empty()) {
    Present(exposed_);
    exposed_ = IBounds{};
  }
  XFlush(display_);
}

void X11EditorWindow::GetHostPath(std::string& out) {
  char path[4096];
  const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
  path[length > 0 ? length : 0] = '\0';
  FolderOf(path, out);
}

void X11EditorWindow::GetPluginPath(std::string& out) {
  Dl_info info{};
  FolderOf(dladdr(reinterpret_cast<void*>(&CreatePlatformEditor), &info) ? info.dli_fname : nullptr, out);
}
