// Brume.so's X11 editor at the display's scale: Xft.dpi of the server, the
// environment override, and a VST 2.4 host's 'PreS' scale message before and
// after opening.
#include <gtest/gtest.h>

#include <X11/Xutil.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "tests/x11/X11TestHost.h"

namespace {

const PluginFile& Plugin() {
  static const PluginFile* file = new PluginFile;
  return *file;
}

constexpr VstInt32 kPreS = 0x50726553;
constexpr VstIntPtr kAeCs = 0x41654373;

class X11Scale : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { ASSERT_TRUE(StartPrivateXvfb()) << "cannot start Xvfb"; }
  // The size menu writes the user's settings: a folder of the test's own.
  void SetUp() override {
    config_ = std::filesystem::path(::testing::TempDir()) / ("brume-x11-config-" + std::to_string(getpid()));
    std::filesystem::remove_all(config_);
    setenv("XDG_CONFIG_HOME", config_.c_str(), 1);
  }
  void TearDown() override {
    host_.reset();
    std::filesystem::remove_all(config_);
    unsetenv("XDG_CONFIG_HOME");
    SetXftDpi(0);
    unsetenv("BRUME_UI_SCALE");
  }
  void MakeHost() {
    ASSERT_TRUE(Plugin().Loaded()) << Plugin().Error();
    host_ = std::make_unique<X11TestHost>(Plugin());
    ASSERT_TRUE(host_->Effect() && host_->XDisplay());
  }
  // The editor child's size and its fixed-size hints, as width * 10000 + height.
  void ChildSize(int* size, int* hinted) {
    Display* display = host_->XDisplay();
    XSync(display, False);
    Window root, parent, *children = nullptr;
    unsigned count = 0;
    *size = *hinted = 0;
    if (!XQueryTree(display, host_->TopLevel(), &root, &parent, &children, &count) || count != 1) return;
    const Window editor = children[0];
    XFree(children);
    XWindowAttributes attributes;
    XGetWindowAttributes(display, editor, &attributes);
    *size = attributes.width * 10000 + attributes.height;
    XSizeHints hints{};
    long supplied = 0;
    XGetWMNormalHints(display, editor, &hints, &supplied);
    if (hints.min_width == hints.max_width && hints.min_height == hints.max_height)
      *hinted = hints.min_width * 10000 + hints.min_height;
  }
  int Rect() {
    int width = 0, height = 0;
    host_->EditorRect(&width, &height);
    return width * 10000 + height;
  }
  std::unique_ptr<X11TestHost> host_;
  std::filesystem::path config_;
};

TEST_F(X11Scale, XftDpi144OpensAt150PercentInsideTheHostsWindow) {
  ASSERT_TRUE(SetXftDpi(144));
  MakeHost();
  EXPECT_EQ(Rect(), 12230750) << "before opening";
  ASSERT_TRUE(host_->OpenEditor());
  host_->Idle(5);
  int size = 0, hinted = 0;
  ChildSize(&size, &hinted);
  EXPECT_EQ(size, 12230750);
  EXPECT_EQ(hinted, 12230750);
  EXPECT_EQ(Rect(), 12230750);
  auto shot = host_->Screenshot("linux-editor-150.png");
  ASSERT_TRUE(shot);
  EXPECT_EQ(shot->Width(), 1223);

  // The size menu (logical 690,480-790,500), drawn at the scale inside the
  // panel; up to Auto, then five steps down is 200 %.
  ASSERT_TRUE(host_->Xdotool("mousemove 1150 735 click 1"));
  auto menu = host_->Screenshot("linux-size-menu-150.png");
  ASSERT_TRUE(menu);
  int changed = 0;
  for (int y = 450; y < 750; ++y)
    for (int x = 1150; x < 1223; ++x) changed += menu->Row(y)[x] != shot->Row(y)[x];
  EXPECT_GT(changed, 3000);
  ASSERT_TRUE(host_->Xdotool("key Up Up Up Up Up Up Up Up Up Up Down Down Down Down Down Return"));
  EXPECT_EQ(Rect(), 16301000);
  std::ifstream settings(config_ / "Brume" / "settings");
  std::string line;
  std::getline(settings, line);
  EXPECT_EQ(line, "scale=200");
}

// Ardour passes exactly 1.0 to VST3 and LV2 editors whatever the display:
// no preference, so every format opens at the display's scale.
TEST_F(X11Scale, AHostScaleOfExactlyOneLeavesTheDisplaysScale) {
  ASSERT_TRUE(SetXftDpi(144));
  MakeHost();
  AEffect* effect = host_->Effect();
  EXPECT_EQ(Dispatch(effect, effVendorSpecific, kPreS, kAeCs, nullptr, 1.0f), 1);
  EXPECT_EQ(Rect(), 12230750);
  EXPECT_EQ(Dispatch(effect, effVendorSpecific, kPreS, kAeCs, nullptr, 1.25f), 1);
  EXPECT_EQ(Rect(), 10190625) << "any other factor wins";
}

TEST_F(X11Scale, TheEnvironmentOverridesTheDisplay) {
  ASSERT_TRUE(SetXftDpi(144));
  setenv("BRUME_UI_SCALE", "200", 1);
  MakeHost();
  ASSERT_TRUE(host_->OpenEditor());
  int size = 0, hinted = 0;
  ChildSize(&size, &hinted);
  EXPECT_EQ(size, 16301000);
}

TEST_F(X11Scale, AScaleFirstSeenAtOpeningIsReportedToTheHost) {
  MakeHost();  // sized from a rectangle asked while the display said nothing
  host_->Calls().canSizeWindow = true;
  ASSERT_TRUE(SetXftDpi(144));
  ASSERT_TRUE(host_->OpenEditor());
  const auto asked = host_->Calls().CallsOf(audioMasterSizeWindow);
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_EQ(asked[0].index * 10000 + asked[0].value, 12230750);
}

TEST_F(X11Scale, TheHostsScaleMessageResizesTheEditorAndAsksTheHostForRoom) {
  MakeHost();
  AEffect* effect = host_->Effect();
  host_->Calls().canSizeWindow = true;
  EXPECT_EQ(Dispatch(effect, effCanDo, 0, 0, const_cast<char*>("supportsViewDpiScaling")), 1);
  EXPECT_EQ(Rect(), 8150500);
  EXPECT_EQ(Dispatch(effect, effVendorSpecific, kPreS, kAeCs, nullptr, 1.5f), 1);
  EXPECT_EQ(Rect(), 12230750) << "before opening";
  EXPECT_EQ(Dispatch(effect, effVendorSpecific, kPreS, kAeCs + 1, nullptr, 2.0f), 0) << "not the scale message";
  ASSERT_TRUE(host_->OpenEditor());
  host_->Idle(3);
  host_->Calls().Clear();
  // Late, and repeated: each taken as it comes.
  EXPECT_EQ(Dispatch(effect, effVendorSpecific, kPreS, kAeCs, nullptr, 2.0f), 1);
  EXPECT_EQ(Dispatch(effect, effVendorSpecific, kPreS, kAeCs, nullptr, 2.0f), 1);
  const auto asked = host_->Calls().CallsOf(audioMasterSizeWindow);
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_EQ(asked[0].index * 10000 + asked[0].value, 16301000);
  EXPECT_EQ(Rect(), 16301000);
  XResizeWindow(host_->XDisplay(), host_->TopLevel(), 1630, 1000);  // what the host does with the request
  XSync(host_->XDisplay(), False);
  host_->Idle(5);
  int size = 0, hinted = 0;
  ChildSize(&size, &hinted);
  EXPECT_EQ(size, 16301000);
  EXPECT_EQ(hinted, 16301000);
  auto shot = host_->Screenshot("linux-editor-200.png");
  ASSERT_TRUE(shot);
  EXPECT_EQ(shot->Height(), 1000);
  // The whole enlarged window is drawn: text ink in the pan 2 read-out,
  // bottom right (logical 660,435-745,460).
  int ink = 0;
  for (int y = 870; y < 920; ++y)
    for (int x = 1320; x < 1490; ++x) ink += (shot->Row(y)[x] & 0xFFu) > 0xB0;
  EXPECT_GT(ink, 50);

  // A host that cannot resize is not asked.
  host_->Calls().canSizeWindow = false;
  host_->Calls().Clear();
  EXPECT_EQ(Dispatch(effect, effVendorSpecific, kPreS, kAeCs, nullptr, 1.0f), 1);
  EXPECT_EQ(host_->Calls().Count(audioMasterSizeWindow), 0);
  EXPECT_EQ(Rect(), 8150500);
}

}  // namespace
