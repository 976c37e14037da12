// The editor through the plug-in view on Windows: a child of the host's
// HWND while attached, gone once removed, with its own timers (no run
// loop from the host). Under Wine's null display driver.
#include <gtest/gtest.h>
#include <windows.h>

#include "tests/win64/PumpMessages.h"
#include "tests/vst3/Vst3Host.h"

namespace {

using namespace vst3_host;

TEST(Vst3View, EditorOpensAsAChildOfTheHostsWindowAndClosesWithRemoved) {
  HWND parent = CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 0, 0, 815, 500, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(parent, nullptr);
  Module module(BRUME_VST3_PATH);
  Instance plugin(module.Factory());
  ASSERT_TRUE(plugin.Valid());
  IPlugView* view = plugin.controller->createView("editor");
  ASSERT_NE(view, nullptr);
  EXPECT_EQ(view->isPlatformTypeSupported(kPlatformTypeHWND), kResultTrue);
  EXPECT_NE(view->isPlatformTypeSupported(kPlatformTypeX11EmbedWindowID), kResultTrue);
  ASSERT_EQ(view->attached(parent, kPlatformTypeHWND), kResultOk);
  PumpMessages(20);
  HWND editor = GetWindow(parent, GW_CHILD);
  ASSERT_NE(editor, nullptr);
  RECT client{};
  GetClientRect(editor, &client);
  EXPECT_EQ(client.right - client.left, 815);
  EXPECT_EQ(client.bottom - client.top, 500);
  ASSERT_EQ(view->removed(), kResultOk);
  PumpMessages(5);
  EXPECT_EQ(GetWindow(parent, GW_CHILD), nullptr);
  EXPECT_EQ(view->release(), 0u);
  DestroyWindow(parent);
}

}  // namespace
