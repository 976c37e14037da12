// brume_ui.so as an LV2 host embeds it: instantiated in a parent window on a
// private Xvfb, idled, driven with xdotool, read back from screenshots and
// from the port writes and touch gestures it sends.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <X11/Xutil.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>

#include "effect/DefineParameters.h"
#include "effect/FactoryPresets.h"
#include "effect/ParameterIds.h"
#include "framework/IParameterStore.h"
#include "lv2/BrumeLv2Ids.h"
#include "raster/Pixel.h"
#include "tests/LeakCheck.h"
#include "tests/lv2/x11/Lv2UiHost.h"
#include "tests/x11/PrivateXvfb.h"

namespace {
using brume_lv2::PortOfParameter;

bool OnPath(const std::string& tool) {
  std::istringstream path(std::getenv("PATH") ? std::getenv("PATH") : "");
  for (std::string folder; std::getline(path, folder, ':');)
    if (access((folder + "/" + tool).c_str(), X_OK) == 0) return true;
  return false;
}

// Pixels of (l, t, r, b) where a and b differ.
int CountDifferent(raster::Bitmap& a, raster::Bitmap& b, int l, int t, int r, int bottom) {
  int count = 0;
  for (int y = t; y < bottom; ++y)
    for (int x = l; x < r; ++x) count += (a.Row(y)[x] & 0xFFFFFF) != (b.Row(y)[x] & 0xFFFFFF);
  return count;
}

// The calls on one port, in order ("B", "W", "E").
std::string CallLog(Lv2UiHost& host, uint32_t port) {
  std::string log;
  for (const auto& call : host.Calls())
    if (call.port == port) log += call.kind;
  return log;
}

// The last value written to a port (NaN when none was).
float LastWrite(Lv2UiHost& host, uint32_t port) {
  float value = NAN;
  for (const auto& call : host.Calls())
    if (call.kind == 'W' && call.port == port) value = call.value;
  return value;
}

bool ToolsPresent() { return OnPath("Xvfb") && OnPath("xdotool"); }

class Lv2Ui : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!ToolsPresent()) GTEST_SKIP() << "Xvfb or xdotool is not installed";
    ASSERT_TRUE(StartPrivateXvfb()) << "cannot start Xvfb";
    host_ = std::make_unique<Lv2UiHost>(KESTREL_UI_PATH);
    ASSERT_TRUE(host_->Descriptor()) << host_->Error();
    ASSERT_TRUE(host_->XDisplay());
  }
  // Opens on the audio matrix page (the modulation page is the default), as
  // a host shows the plug-in's values right after instantiating.
  void Open() {
    ASSERT_TRUE(host_->Instantiate());
    host_->PortEvent(PortOfParameter(kMatrixTab), 0.0f);
    EXPECT_EQ(host_->Idle(5), 0);
  }
  std::unique_ptr<raster::MemoryBitmap> Shot(const std::string& name = "") {
    auto shot = host_->Screenshot(name);
    EXPECT_TRUE(shot && shot->Width() == 815 && shot->Height() == 500);
    return shot;
  }
  std::unique_ptr<Lv2UiHost> host_;
};

TEST_F(Lv2Ui, EmbedsInTheParentAtItsFixedSizeAndShowsTheArtwork) {
  EXPECT_STREQ(host_->Descriptor()->URI, brume_lv2::kUiUri);
  Open();
  EXPECT_EQ(host_->ResizedWidth() * 1000 + host_->ResizedHeight(), 815500);
  Window root, parent, *children = nullptr;
  unsigned count = 0;
  ASSERT_TRUE(XQueryTree(host_->XDisplay(), host_->Parent(), &root, &parent, &children, &count));
  ASSERT_EQ(count, 1u);
  EXPECT_EQ(children[0], host_->Widget()) << "the widget is the embedded child";
  XFree(children);
  XWindowAttributes attributes;
  ASSERT_TRUE(XGetWindowAttributes(host_->XDisplay(), host_->Widget(), &attributes));
  EXPECT_EQ(attributes.width * 1000 + attributes.height, 815500);
  EXPECT_EQ(attributes.map_state, IsViewable);
  // suil sizes an embedded X11 UI from these hints.
  XSizeHints hints{};
  long supplied = 0;
  ASSERT_TRUE(XGetWMNormalHints(host_->XDisplay(), host_->Widget(), &hints, &supplied));
  EXPECT_EQ(hints.min_width * 1000 + hints.min_height, 815500);
  EXPECT_EQ(hints.max_width * 1000 + hints.max_height, 815500);

  auto shot = Shot();
  auto art = ReadPngFile(KESTREL_SOURCE_DIR "/resources/img/brume_background.png");
  ASSERT_TRUE(shot && art);
  EXPECT_EQ(CountDifferent(*shot, *art, 0, 0, 815, 30), 0) << "artwork where no control draws";
  EXPECT_GT(CountDifferent(*shot, *art, 173, 435, 258, 460), 20) << "gain read-out";
  host_->Cleanup();
  EXPECT_EQ(host_->ChildCount(), 0);
}

TEST_F(Lv2Ui, DragAndSelectorWriteTheirPortsInOwnUnitsInsideTouchGestures) {
  Open();
  IParameterStore store(kParameterCount);
  DefineParameters(store);
  const IParameter& amount = *store.Parameter(kAudioAmount1);
  // 16 pixels up on a 20-pixel read-out geared 4: a fifth of the range.
  ASSERT_TRUE(host_->Run("xdotool mousemove 530 95 mousedown 1 mousemove 530 87 mousemove 530 79 mouseup 1"));
  const uint32_t amountPort = PortOfParameter(kAudioAmount1);
  EXPECT_NEAR(LastWrite(*host_, amountPort), amount.ValueOfNormalised(amount.NormalisedOf(amount.Default()) + 0.2),
              1e-4);
  const std::string log = CallLog(*host_, amountPort);
  EXPECT_TRUE(log.size() >= 3 && log.front() == 'B' && log.back() == 'E' && log.find('W') != std::string::npos &&
              log.find("EW") == std::string::npos)
      << log;
  EXPECT_EQ(host_->Calls().size(), log.size()) << "no other port is written";

  auto audio = Shot();
  host_->Calls().clear();
  ASSERT_TRUE(host_->Run("xdotool mousemove 480 47 click 1"));
  const uint32_t pagePort = PortOfParameter(kMatrixTab);
  EXPECT_EQ(LastWrite(*host_, pagePort), 1.0f) << "the enumeration's own value";
  EXPECT_EQ(CallLog(*host_, pagePort), "BWE");
  auto mod = Shot("lv2-ui-mod-matrix.png");
  auto art = ReadPngFile(KESTREL_SOURCE_DIR "/resources/img/brume_background.png");
  ASSERT_TRUE(audio && mod && art);
  // The default rows are empty ("..." and 0%): the values' column differs.
  EXPECT_GT(CountDifferent(*audio, *mod, 264, 80, 552, 380), 100) << "matrix rows";
  EXPECT_GT(CountDifferent(*audio, *mod, 330, 35, 630, 60), 100) << "selector";
  EXPECT_EQ(CountDifferent(*mod, *art, 0, 0, 815, 30), 0);
}

TEST_F(Lv2Ui, CleanupMidDragEndsTheTouchGesture) {
  Open();
  const uint32_t port = PortOfParameter(kAudioAmount1);
  ASSERT_TRUE(host_->Run("xdotool mousemove 530 95 mousedown 1 mousemove 530 87"));
  std::string log = CallLog(*host_, port);
  ASSERT_TRUE(log.size() >= 2 && log.front() == 'B' && log.find('E') == std::string::npos) << log;
  host_->Cleanup();
  log = CallLog(*host_, port);
  EXPECT_EQ(log.back(), 'E') << "ui:touch off";
  ASSERT_TRUE(host_->Run("xdotool mouseup 1"));
  EXPECT_EQ(CallLog(*host_, port), log) << "nothing after the cleanup";
}

TEST_F(Lv2Ui, ValuesFromPortEventsAreDrawnLimitedToTheirRanges) {
  Open();
  auto start = Shot();
  const uint32_t gainPort = PortOfParameter(kGain);
  host_->PortEvent(gainPort, 10.0f);  // the maximum
  host_->Idle(3);
  auto atMaximum = Shot();
  host_->PortEvent(gainPort, 1000.0f);
  host_->PortEvent(brume_lv2::kControlIn, 1.0f);  // not a parameter port
  host_->Idle(3);
  auto beyond = Shot();
  ASSERT_TRUE(start && atMaximum && beyond);
  EXPECT_GT(CountDifferent(*start, *atMaximum, 173, 435, 258, 460), 20) << "gain read-out";
  EXPECT_EQ(CountDifferent(*atMaximum, *beyond, 0, 0, 815, 500), 0) << "limited to the maximum";

  // A whole factory program, the matrix page among its values.
  double values[kParameterCount];
  FactoryPresetValues(2, values);
  values[kMatrixTab] = 1.0;
  for (int index = 0; index < kParameterCount; ++index)
    host_->PortEvent(PortOfParameter(index), static_cast<float>(values[index]));
  host_->Idle(3);
  auto program = Shot("lv2-ui.png");
  ASSERT_TRUE(program);
  EXPECT_GT(CountDifferent(*beyond, *program, 264, 80, 552, 380), 500) << "the modulation page";
  EXPECT_TRUE(host_->Calls().empty()) << "values from the host are not sent back";
}

TEST_F(Lv2Ui, WithoutAParentOrForAnotherPluginNothingIsMade) {
  const int descriptors = OpenDescriptorCount();
  EXPECT_FALSE(host_->Instantiate(false));
  EXPECT_FALSE(host_->Instantiate(true, "urn:orvendale:other"));
  EXPECT_EQ(host_->Handle(), nullptr);
  EXPECT_EQ(host_->ChildCount(), 0);
  EXPECT_EQ(OpenDescriptorCount(), descriptors) << "no display connection left open";
}


// Hosts load and unload UI libraries with each window they open: the fonts
// the read-outs made (FreeType's library object above all), the window and
// its display connection must go with the library, which must unload.
TEST(Lv2UiUnload, LoadDrawUnloadCyclesLeaveNothingBehind) {
  if (!ToolsPresent()) GTEST_SKIP() << "Xvfb or xdotool is not installed";
  ASSERT_TRUE(StartPrivateXvfb()) << "cannot start Xvfb";
  const std::string copy = ::testing::TempDir() + "brume_ui_unload_copy.so";
  std::filesystem::copy_file(KESTREL_UI_PATH, copy, std::filesystem::copy_options::overwrite_existing);
  const int descriptors = OpenDescriptorCount();
  for (int cycle = 0; cycle < 3; ++cycle) {
    {
      Lv2UiHost host(copy);
      ASSERT_TRUE(host.Descriptor()) << host.Error();
      ASSERT_TRUE(host.Instantiate());
      EXPECT_EQ(host.Idle(3), 0);  // draws the read-outs: fonts are made
    }
    EXPECT_EQ(dlopen(copy.c_str(), RTLD_NOW | RTLD_NOLOAD), nullptr) << "the library stays loaded";
  }
  EXPECT_EQ(OpenDescriptorCount(), descriptors);
#ifdef KESTREL_LSAN
  EXPECT_EQ(__lsan_do_recoverable_leak_check(), 0);
#endif
}
}  // namespace
