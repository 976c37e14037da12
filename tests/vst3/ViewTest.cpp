// The editor through the plug-in view, in a host window of the test's own
// on a private Xvfb, driven only by a run loop of the test's own (the
// view's timer and its X connection's descriptor), as Linux VST3 hosts
// drive it. The pointer is moved with xdotool and the screen read with
// ImageMagick's import.
#include <gtest/gtest.h>
#include <poll.h>
#include <X11/Xlib.h>

#include <algorithm>
#include <cstdlib>
#include <utility>
#include <vector>

#include "effect/FactoryPresets.h"
#include "effect/ParameterIds.h"
#include "framework/IStateChunk.h"
#include "tests/vst3/Vst3Host.h"
#include "tests/x11/PrivateXvfb.h"

namespace {

using namespace vst3_host;

// The host's frame and run loop in one object, as Ardour has them.
class Frame : public IPlugFrame, public IRunLoop {
 public:
  tresult VST3_API queryInterface(const TUID iid, void** obj) override {
    if (IPlugFrame::iid.Is(iid) || FUnknown::iid.Is(iid)) *obj = static_cast<IPlugFrame*>(this);
    else if (IRunLoop::iid.Is(iid)) *obj = static_cast<IRunLoop*>(this);
    else *obj = nullptr;
    return *obj ? kResultOk : kNoInterface;
  }
  uint32 VST3_API addRef() override { return 2; }
  uint32 VST3_API release() override { return 1; }
  // As Ardour does: the window takes the size, then the view hears of it.
  tresult VST3_API resizeView(IPlugView* view, ViewRect* size) override {
    resizes.push_back(*size);
    return view->onSize(size);
  }
  tresult VST3_API registerEventHandler(IEventHandler* handler, int fd) override {
    handlers.emplace_back(handler, fd);
    return kResultOk;
  }
  tresult VST3_API unregisterEventHandler(IEventHandler* handler) override {
    return Erase(handlers, [&](auto& h) { return h.first == handler; });
  }
  tresult VST3_API registerTimer(ITimerHandler* handler, uint64) override {
    timers.push_back(handler);
    return kResultOk;
  }
  tresult VST3_API unregisterTimer(ITimerHandler* handler) override {
    return Erase(timers, [&](auto* t) { return t == handler; });
  }
  // One turn of the loop: every readable descriptor's handler, then (as if
  // their period had passed) every timer.
  void Turn(bool withTimers = true) {
    for (auto& [handler, fd] : handlers) {
      pollfd p{fd, POLLIN, 0};
      if (poll(&p, 1, 10) > 0) {
        handler->onFDIsSet(fd);
        ++fdCalls;
      }
    }
    if (withTimers)
      for (ITimerHandler* timer : timers) timer->onTimer();
  }
  void Turns(int count) {
    for (int i = 0; i < count; ++i) Turn();
  }
  std::vector<std::pair<IEventHandler*, int>> handlers;
  std::vector<ITimerHandler*> timers;
  std::vector<ViewRect> resizes;
  int fdCalls = 0;

 private:
  template <typename List, typename Match>
  static tresult Erase(List& list, Match match) {
    const auto end = std::remove_if(list.begin(), list.end(), match);
    const bool found = end != list.end();
    list.erase(end, list.end());
    return found ? kResultTrue : kResultFalse;
  }
};

int CountDifferent(raster::Bitmap& a, raster::Bitmap& b, int l, int t, int r, int bottom) {
  int count = 0;
  for (int y = t; y < bottom; ++y)
    for (int x = l; x < r; ++x)
      for (int channel = 0; channel < 3; ++channel)
        if (raster::ChannelOf(a.Row(y)[x], channel) != raster::ChannelOf(b.Row(y)[x], channel)) {
          ++count;
          break;
        }
  return count;
}

// A mapped top-level window standing in for the host's.
Window HostWindow(Display* display, unsigned width, unsigned height) {
  const Window top = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, width, height, 0, 0, 0);
  XMapWindow(display, top);
  XSync(display, False);
  return top;
}

int Children(Display* display, Window window) {
  Window root, parent, *children = nullptr;
  unsigned count = 0;
  XQueryTree(display, window, &root, &parent, &children, &count);
  if (children) XFree(children);
  return static_cast<int>(count);
}

TEST(Vst3View, EditorOpensInTheHostWindowRunsOnTheHostsLoopAndEditsThroughTheHost) {
  ASSERT_TRUE(StartPrivateXvfb()) << "cannot start Xvfb";
  Display* display = XOpenDisplay(nullptr);
  ASSERT_NE(display, nullptr);
  const Window top = HostWindow(display, 815, 500);

  Module module(BRUME_VST3_PATH);
  Instance plugin(module.Factory());
  ASSERT_TRUE(plugin.Valid());
  // A factory program's routing, as the host restores it before opening,
  // on the audio matrix page and with the first amount in mid-range.
  double values[kParameterCount];
  FactoryPresetValues(2, values);
  values[kMatrixTab] = 0;
  values[kAudioAmount1] = 0;
  IStateChunk chunk;
  WriteChunkHeader(chunk);
  for (double v : values) chunk.AppendDouble(v);
  ASSERT_TRUE(plugin.SetState(std::vector<uint8_t>(chunk.Data(), chunk.Data() + chunk.Size())));

  IPlugView* view = plugin.controller->createView("editor");
  ASSERT_NE(view, nullptr);
  EXPECT_EQ(plugin.controller->createView("other"), nullptr);
  EXPECT_EQ(view->isPlatformTypeSupported(kPlatformTypeX11EmbedWindowID), kResultTrue);
  EXPECT_NE(view->isPlatformTypeSupported(kPlatformTypeHWND), kResultTrue);
  ViewRect size{};
  ASSERT_EQ(view->getSize(&size), kResultOk);
  EXPECT_EQ(size.right - size.left, 815);
  EXPECT_EQ(size.bottom - size.top, 500);
  EXPECT_NE(view->canResize(), kResultTrue);

  Frame frame;
  ASSERT_EQ(view->setFrame(&frame), kResultOk);
  ASSERT_EQ(view->attached(reinterpret_cast<void*>(top), kPlatformTypeX11EmbedWindowID), kResultOk);
  EXPECT_EQ(frame.timers.size(), 1u);
  ASSERT_EQ(frame.handlers.size(), 1u);
  EXPECT_EQ(Children(display, top), 1);
  frame.Turns(40);
  // An exposure sent to the editor's window reaches it through its
  // descriptor alone, with no timer turning.
  Window root, parent, *children = nullptr;
  unsigned count = 0;
  ASSERT_TRUE(XQueryTree(display, top, &root, &parent, &children, &count) && count == 1);
  XClearArea(display, children[0], 0, 0, 0, 0, True);
  XFree(children);
  XFlush(display);
  frame.fdCalls = 0;
  for (int turn = 0; turn < 200 && frame.fdCalls == 0; ++turn) frame.Turn(/*withTimers*/ false);
  EXPECT_GT(frame.fdCalls, 0) << "the X connection's events reach the view through its descriptor";

  const std::string shot = std::string(KESTREL_VIEW_SHOT);
  auto screen = ScreenshotTopLeft(815, 500, shot);
  auto art = ReadPngFile(KESTREL_SOURCE_DIR "/resources/img/brume_background.png");
  ASSERT_TRUE(screen && art);
  EXPECT_EQ(CountDifferent(*screen, *art, 0, 0, 815, 30), 0) << "the artwork where no control draws";
  EXPECT_GT(CountDifferent(*screen, *art, 173, 435, 258, 460), 20) << "gain read-out";
  EXPECT_GT(CountDifferent(*screen, *art, 275, 85, 375, 105), 20) << "first source menu";

  // A drag on the first amount read-out: begin, values, end, to the host,
  // while only the host's loop runs the editor.
  plugin.handler.calls.clear();
  const double before = plugin.controller->getParamNormalized(kAudioAmount1);
  ASSERT_TRUE(RunShellCommand("xdotool mousemove 530 95 mousedown 1 mousemove 530 87 mousemove 530 79 mouseup 1",
                              [&] { frame.Turn(); }));
  frame.Turns(10);
  const std::vector<std::string>& calls = plugin.handler.calls;
  ASSERT_GE(calls.size(), 3u);
  EXPECT_EQ(calls.front(), "begin " + std::to_string(kAudioAmount1));
  EXPECT_EQ(calls.back(), "end " + std::to_string(kAudioAmount1));
  EXPECT_EQ(calls[1].rfind("perform " + std::to_string(kAudioAmount1) + " ", 0), 0u) << calls[1];
  EXPECT_NEAR(plugin.controller->getParamNormalized(kAudioAmount1), before + 0.2, 1e-6);

  ASSERT_EQ(view->removed(), kResultOk);
  XSync(display, False);
  EXPECT_TRUE(frame.timers.empty() && frame.handlers.empty()) << "every handler unregistered";
  EXPECT_EQ(Children(display, top), 0);
  view->setFrame(nullptr);
  EXPECT_EQ(view->release(), 0u);
  XDestroyWindow(display, top);
  XCloseDisplay(display);
}

}  // namespace

// The host's content scale sizes the view before it is attached, and a new
// scale while it is open is asked of the host as a resize.
TEST(Vst3View, TheHostsContentScaleSizesTheViewAndAChangeAsksTheFrame) {
  ASSERT_TRUE(StartPrivateXvfb()) << "cannot start Xvfb";
  setenv("XDG_CONFIG_HOME", ::testing::TempDir().c_str(), 1);  // no user's size choice
  Display* display = XOpenDisplay(nullptr);
  ASSERT_NE(display, nullptr);
  const Window top = HostWindow(display, 1700, 1100);
  Module module(BRUME_VST3_PATH);
  Instance plugin(module.Factory());
  ASSERT_TRUE(plugin.Valid());
  IPlugView* view = plugin.controller->createView("editor");
  ASSERT_NE(view, nullptr);
  IPlugViewContentScaleSupport* scaling = nullptr;
  ASSERT_EQ(view->queryInterface(IPlugViewContentScaleSupport::iid.bytes, reinterpret_cast<void**>(&scaling)),
            kResultOk);
  EXPECT_EQ(scaling->setContentScaleFactor(1.5f), kResultTrue);
  ViewRect size{};
  ASSERT_EQ(view->getSize(&size), kResultOk);
  EXPECT_EQ(size.right - size.left, 1223);
  EXPECT_EQ(size.bottom - size.top, 750);

  Frame frame;
  view->setFrame(&frame);
  ASSERT_EQ(view->attached(reinterpret_cast<void*>(top), kPlatformTypeX11EmbedWindowID), kResultOk);
  frame.Turns(5);
  EXPECT_TRUE(frame.resizes.empty());
  scaling->setContentScaleFactor(2.0f);
  ASSERT_EQ(frame.resizes.size(), 1u);
  EXPECT_EQ(frame.resizes[0].right - frame.resizes[0].left, 1630);
  EXPECT_EQ(frame.resizes[0].bottom - frame.resizes[0].top, 1000);
  ASSERT_EQ(view->getSize(&size), kResultOk);
  EXPECT_EQ(size.right - size.left, 1630);

  view->removed();
  scaling->release();
  view->release();
  XDestroyWindow(display, top);
  XCloseDisplay(display);
  unsetenv("XDG_CONFIG_HOME");
}
