#include "tests/x11/X11TestHost.h"

#include <unistd.h>

#include <chrono>
#include <functional>
#include <thread>

// After the project headers: Xlib macros clash with them.
#include <X11/Xutil.h>

X11TestHost::X11TestHost(const PluginFile& plugin, int depth) {
  VstEntry entry = plugin.Main();
  effect_ = entry ? entry(RecordingHost::Callback) : nullptr;
  if (!effect_) return;
  Dispatch(effect_, effOpen);
  display_ = XOpenDisplay(nullptr);
  if (!display_) return;
  int width = 0, height = 0;
  EditorRect(&width, &height);
  const int screen = DefaultScreen(display_);
  XSetWindowAttributes attributes{};
  unsigned long mask = 0;
  Visual* visual = DefaultVisual(display_, screen);
  if (depth) {  // a host window of another depth (32-bit ARGB)
    XVisualInfo info;
    if (!XMatchVisualInfo(display_, screen, depth, TrueColor, &info)) return;
    visual = info.visual;
    colormap_ = XCreateColormap(display_, RootWindow(display_, screen), visual, AllocNone);
    attributes.colormap = colormap_;
    mask = CWColormap | CWBorderPixel | CWBackPixel;
  } else {
    depth = DefaultDepth(display_, screen);
  }
  window_ = XCreateWindow(display_, RootWindow(display_, screen), 0, 0, static_cast<unsigned>(width),
                          static_cast<unsigned>(height), 0, depth, InputOutput, visual, mask, &attributes);
  XMapWindow(display_, window_);
  XSync(display_, False);
}

X11TestHost::~X11TestHost() {
  if (effect_) {
    CloseEditor();
    Dispatch(effect_, effClose);
  }
  if (display_) {
    if (window_) XDestroyWindow(display_, window_);
    if (colormap_) XFreeColormap(display_, colormap_);
    XCloseDisplay(display_);
  }
}

void X11TestHost::ClosePlugin() {
  Dispatch(effect_, effClose);
  effect_ = nullptr;
  editorOpen_ = false;
}

void X11TestHost::DestroyTopLevel() {
  XDestroyWindow(display_, window_);
  XSync(display_, False);
  window_ = 0;
}

void X11TestHost::EditorRect(int* width, int* height) const {
  ERect* rect = nullptr;
  *width = *height = 0;
  if (Dispatch(effect_, effEditGetRect, 0, 0, &rect) && rect) {
    *width = rect->right - rect->left;
    *height = rect->bottom - rect->top;
  }
}

bool X11TestHost::OpenEditor() {
  // The Display pointer some hosts pass in value is ignored by the editor.
  editorOpen_ = Dispatch(effect_, effEditOpen, 0, reinterpret_cast<VstIntPtr>(display_),
                         reinterpret_cast<void*>(window_)) != 0;
  return editorOpen_;
}

void X11TestHost::CloseEditor() {
  if (editorOpen_) Dispatch(effect_, effEditClose);
  editorOpen_ = false;
}

int X11TestHost::ChildCount() const {
  Window root = 0, parent = 0, *children = nullptr;
  unsigned count = 0;
  if (!XQueryTree(display_, window_, &root, &parent, &children, &count)) return -1;
  if (children) XFree(children);
  return static_cast<int>(count);
}

void X11TestHost::Idle(int count, int hz) {
  for (int i = 0; i < count; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1000 / hz));
    Dispatch(effect_, effEditIdle);
  }
}

bool X11TestHost::IdleUntil(const std::function<bool()>& done) {
  for (int tick = 0; tick < 500; ++tick) {
    if (done()) return true;
    Idle(1);
  }
  return done();
}

bool X11TestHost::Run(const std::string& command, int hz) {
  std::function<void()> tick;
  if (hz > 0) tick = [this, hz] { Idle(1, hz); };
  const bool ok = RunShellCommand(command, tick);
  // The editor sees what the command did before the caller looks.
  if (hz > 0) Idle(5, hz);
  return ok;
}

std::unique_ptr<raster::MemoryBitmap> X11TestHost::Screenshot(const std::string& savePng) {
  int width = 0, height = 0;
  EditorRect(&width, &height);
  return ScreenshotTopLeft(width, height, savePng);
}
