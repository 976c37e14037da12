// Brume.clap's editor embedded in a host window on a private Xvfb, driven
// only by the host's timer (whose first id is 0) and fd watch: its size at
// the host's scale, an edit with the mouse reaching the host as a gesture
// through flush, and nothing left behind when it goes.
#include <gtest/gtest.h>
#include <X11/Xlib.h>

#include <algorithm>
#include <string>

#include "effect/ParameterIds.h"
#include "tests/clap/ClapHost.h"
#include "tests/x11/PrivateXvfb.h"

namespace {

using namespace clap_host;

TEST(ClapEditor, EmbedsInTheHostWindowRunsOnTheHostsTimerAndEditsThroughFlush) {
  ASSERT_TRUE(StartPrivateXvfb());
  const int descriptors = OpenDescriptorCount();
  Display* display = XOpenDisplay(nullptr);
  ASSERT_TRUE(display);
  const Window parent = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 1300, 800, 0, 0, 0);
  XMapWindow(display, parent);
  XSync(display, False);
  {
    Module module(BRUME_CLAP_PATH);
    Instance plugin(module);
    const auto* gui = plugin.Get<clap::PluginGui>(clap::kGuiId);
    ASSERT_TRUE(gui);
    const clap::Plugin* p = plugin.Plugin();
    EXPECT_TRUE(gui->is_api_supported(p, "x11", false));
    EXPECT_FALSE(gui->is_api_supported(p, "x11", true));
    EXPECT_FALSE(gui->is_api_supported(p, "win32", false));
    ASSERT_TRUE(gui->create(p, "x11", false));
    uint32_t width = 0, height = 0;
    ASSERT_TRUE(gui->set_scale(p, 1.5));
    ASSERT_TRUE(gui->get_size(p, &width, &height));
    EXPECT_EQ(width * 10000 + height, 12230750u);
    ASSERT_TRUE(gui->set_scale(p, 1.0));  // exactly 1.0 on Linux: the display's scale (none here)
    ASSERT_TRUE(gui->get_size(p, &width, &height));
    EXPECT_EQ(width * 10000 + height, 8150500u);

    clap::Window window{};
    window.api = "x11";
    window.x11 = parent;
    ASSERT_TRUE(gui->set_parent(p, &window));
    ASSERT_TRUE(gui->show(p));
    ASSERT_EQ(plugin.timers, std::vector<uint32_t>{0}) << "one timer, and id 0 is a timer";
    ASSERT_EQ(plugin.fds.size(), 1u);
    const auto* timers = plugin.Get<clap::PluginTimerSupport>(clap::kTimerSupportId);
    const auto* fds = plugin.Get<clap::PluginPosixFdSupport>(clap::kPosixFdSupportId);
    ASSERT_TRUE(timers && fds);
    const auto tick = [&] {
      timers->on_timer(p, 0);
      fds->on_fd(p, plugin.fds.empty() ? -1 : plugin.fds[0], clap::kFdRead);
    };
    for (int i = 0; i < 10; ++i) tick();
    auto shot = ScreenshotTopLeft(815, 500);
    ASSERT_TRUE(shot);
    int ink = 0;
    for (int y = 0; y < 500; ++y)
      for (int x = 0; x < 815; ++x) ink += (shot->Row(y)[x] & 0xFFFFFFu) != 0;
    EXPECT_GT(ink, 100000) << "the editor is drawn";

    // One wheel notch on the gain read-out: a gesture for the host.
    ASSERT_TRUE(RunShellCommand("xdotool mousemove 200 447 click 4", tick));
    for (int i = 0; i < 500 && plugin.flushRequests < 3; ++i) tick();
    EXPECT_GE(plugin.flushRequests, 1);
    const auto* params = plugin.Get<clap::PluginParams>(clap::kParamsId);
    EventList none;
    OutputLog log;
    params->flush(p, none.Input(), &log.output);
    ASSERT_EQ(log.entries.size(), 3u);
    EXPECT_EQ(log.entries[0].type, clap::kParamGestureBegin);
    EXPECT_EQ(log.entries[1].type, clap::kParamValue);
    EXPECT_NEAR(log.entries[1].value, 0.1, 1e-9);
    EXPECT_EQ(log.entries[2].type, clap::kParamGestureEnd);
    for (const auto& entry : log.entries) EXPECT_EQ(entry.id, static_cast<uint32_t>(kGain));
    EXPECT_NEAR(plugin.Value(kGain), 0.1, 1e-9);

    ASSERT_TRUE(gui->hide(p));
    EXPECT_TRUE(plugin.timers.empty() && plugin.fds.empty());
    ASSERT_TRUE(gui->show(p));
    EXPECT_EQ(plugin.timers.size(), 1u);
    gui->destroy(p);
    EXPECT_TRUE(plugin.timers.empty() && plugin.fds.empty());
    Window root, up, *children = nullptr;
    unsigned count = 0;
    XQueryTree(display, parent, &root, &up, &children, &count);
    if (children) XFree(children);
    EXPECT_EQ(count, 0u) << "the editor's window is gone";
  }
  XDestroyWindow(display, parent);
  XCloseDisplay(display);
  EXPECT_EQ(OpenDescriptorCount(), descriptors) << "a connection was left open";
}

}  // namespace
