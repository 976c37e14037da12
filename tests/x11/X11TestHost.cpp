#include "tests/x11/X11TestHost.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <thread>
#include <vector>

#include "raster/PngReader.h"
// After the project headers: Xlib macros clash with them.
#include <X11/Xutil.h>

extern char** environ;

namespace {
pid_t g_xvfb = 0;

void StopXvfb() {
  if (g_xvfb > 0) kill(g_xvfb, SIGTERM), waitpid(g_xvfb, nullptr, 0);
  g_xvfb = 0;
}

}  // namespace

pid_t Spawn(const std::vector<std::string>& args) {
  std::vector<char*> argv;
  for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  pid_t pid = 0;
  return posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) == 0 ? pid : 0;
}

bool StartPrivateXvfb() {
  if (g_xvfb) return true;
  const char* depth = std::getenv("KESTREL_XVFB_DEPTH");
  int fds[2];
  if (pipe(fds) != 0) return false;
  // Xvfb writes its display number to the descriptor once it accepts clients.
  const std::string fd = std::to_string(fds[1]);
  const std::string screen = std::string("1024x768x") + (depth ? depth : "24");
  g_xvfb = fork();
  if (g_xvfb == 0) {
    // The server goes with the test, even when a timeout kills the test.
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", screen.c_str(), "-nolisten", "tcp",
           "-noreset", static_cast<char*>(nullptr));
    _exit(127);
  }
  if (g_xvfb < 0) g_xvfb = 0;
  close(fds[1]);
  std::string number;
  pollfd wait{fds[0], POLLIN, 0};
  char c;
  while (g_xvfb && poll(&wait, 1, 10000) > 0 && read(fds[0], &c, 1) == 1 && c != '\n') number += c;
  close(fds[0]);
  if (number.empty()) {
    StopXvfb();
    return false;
  }
  setenv("DISPLAY", (":" + number).c_str(), 1);
  std::atexit(StopXvfb);
  return true;
}

std::unique_ptr<raster::MemoryBitmap> ReadPngFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  const std::vector<char> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  return raster::ReadPngFromMemory(bytes.data(), bytes.size());
}

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

bool X11TestHost::Run(const std::string& command, int hz) {
  const pid_t pid = Spawn({"sh", "-c", command});
  if (!pid) return false;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  int status = 0;
  while (waitpid(pid, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > deadline) {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      return false;
    }
    if (hz > 0) Idle(1, hz);
    else std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  // The editor sees what the command did before the caller looks.
  if (hz > 0) Idle(5, hz);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

std::unique_ptr<raster::MemoryBitmap> X11TestHost::Screenshot(const std::string& savePng) {
  const std::string file = savePng.empty() ? "x11-screen-" + std::to_string(getpid()) + ".png" : savePng;
  int width = 0, height = 0;
  EditorRect(&width, &height);
  const std::string crop = std::to_string(width) + "x" + std::to_string(height) + "+0+0";
  // Taken without idling: the screen shows what the editor put there.
  if (!Run("import -silent -window root -crop " + crop + " +repage png:" + file, 0)) return nullptr;
  auto image = ReadPngFile(file);
  if (savePng.empty()) unlink(file.c_str());
  return image;
}
