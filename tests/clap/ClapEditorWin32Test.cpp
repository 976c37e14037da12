// Brume.clap's editor on Windows: a child of the host's HWND after
// set_parent, with its own timers (no host timer needed), gone once hidden
// or destroyed. Under Wine's null display driver.
#include <gtest/gtest.h>
#include <windows.h>

#include "tests/clap/ClapHost.h"
#include "tests/win64/PumpMessages.h"

namespace {

using namespace clap_host;

TEST(ClapEditor, OpensAsAChildOfTheHostsWindowAndClosesWithDestroy) {
  HWND parent = CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 0, 0, 815, 500, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(parent, nullptr);
  {
    Module module(BRUME_CLAP_PATH);
    Instance plugin(module);
    const auto* gui = plugin.Get<clap::PluginGui>(clap::kGuiId);
    ASSERT_TRUE(gui);
    const clap::Plugin* p = plugin.Plugin();
    EXPECT_TRUE(gui->is_api_supported(p, "win32", false));
    EXPECT_FALSE(gui->is_api_supported(p, "x11", false));
    ASSERT_TRUE(gui->create(p, "win32", false));
    clap::Window window{};
    window.api = "win32";
    window.win32 = parent;
    ASSERT_TRUE(gui->set_parent(p, &window));
    ASSERT_TRUE(gui->show(p));
    PumpMessages(20);
    HWND editor = GetWindow(parent, GW_CHILD);
    ASSERT_NE(editor, nullptr);
    RECT client{};
    GetClientRect(editor, &client);
    uint32_t width = 0, height = 0;
    ASSERT_TRUE(gui->get_size(p, &width, &height));
    EXPECT_EQ(static_cast<uint32_t>(client.right - client.left), width);
    EXPECT_EQ(static_cast<uint32_t>(client.bottom - client.top), height);
    EXPECT_TRUE(plugin.timers.empty()) << "Windows editors keep their own timers";
    ASSERT_TRUE(gui->hide(p));
    PumpMessages(5);
    EXPECT_EQ(GetWindow(parent, GW_CHILD), nullptr);
    ASSERT_TRUE(gui->show(p));
    PumpMessages(5);
    EXPECT_NE(GetWindow(parent, GW_CHILD), nullptr);
    gui->destroy(p);
    PumpMessages(5);
    EXPECT_EQ(GetWindow(parent, GW_CHILD), nullptr);
  }
  DestroyWindow(parent);
}

}  // namespace
