// Brume.so's X11 editor as a user sees it: opened in a host window on a
// private Xvfb, driven with xdotool, read back from screenshots and from
// the host callbacks it makes.
#include <gtest/gtest.h>

#include <X11/Xatom.h>
#include <X11/Xutil.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "effect/ParameterIds.h"
#include "gui/x11/PanelMenu.h"
#include "tests/LeakCheck.h"
#include "tests/x11/X11TestHost.h"

namespace {
// Loaded once and kept until the process ends, as most hosts keep plug-ins
// (LoadDrawUnloadCyclesLeaveNothingBehind unloads its own copies).
const PluginFile& Plugin() {
  static const PluginFile* file = new PluginFile;
  return *file;
}

int Depth() {
  const char* depth = std::getenv("KESTREL_XVFB_DEPTH");
  return depth ? std::atoi(depth) : 24;
}

// Pixels of `r` (l, t, r, b) where a and b differ by more than the screen's
// colour resolution allows.
int CountDifferent(raster::Bitmap& a, raster::Bitmap& b, int l, int t, int r, int bottom) {
  const int tolerance = Depth() < 24 ? 10 : 0;
  int count = 0;
  for (int y = t; y < bottom; ++y)
    for (int x = l; x < r; ++x)
      for (int channel = 0; channel < 3; ++channel)
        if (std::abs(raster::ChannelOf(a.Row(y)[x], channel) - raster::ChannelOf(b.Row(y)[x], channel)) > tolerance) {
          ++count;
          break;
        }
  return count;
}

// Opcode and index of the begin-edit, automate and end-edit calls for one
// parameter, in order ("B", "A", "E").
std::string EditLog(RecordingHost& host, int index) {
  std::string log;
  for (const HostCall& call : host.Calls()) {
    if (call.index != index) continue;
    if (call.opcode == audioMasterBeginEdit) log += 'B';
    if (call.opcode == audioMasterAutomate) log += 'A';
    if (call.opcode == audioMasterEndEdit) log += 'E';
  }
  return log;
}

// A menu row's centre; the menu opens with its top-left at the click.
int MenuRowY(int clickY, int row) {
  return clickY + PanelMenu::kBorder + row * PanelMenu::kItemHeight + PanelMenu::kItemHeight / 2;
}

class X11Editor : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { ASSERT_TRUE(StartPrivateXvfb()) << "cannot start Xvfb"; }
  void SetUp() override {
    ASSERT_TRUE(Plugin().Loaded()) << Plugin().Error();
    host_ = std::make_unique<X11TestHost>(Plugin());
    ASSERT_TRUE(host_->Effect() && host_->XDisplay());
  }
  // Opens on the audio matrix page, with a factory program's routing.
  void OpenAndShow(int program = -1) {
    if (program >= 0) Dispatch(host_->Effect(), effSetProgram, 0, program);
    host_->Effect()->setParameter(host_->Effect(), kMatrixTab, 0.0f);
    ASSERT_TRUE(host_->OpenEditor());
    host_->Idle(5);
  }
  std::unique_ptr<raster::MemoryBitmap> Shot(const char* docName = nullptr) {
    const std::string name = docName ? std::string(docName) + "-depth" + std::to_string(Depth()) + ".png" : "";
    auto shot = host_->Screenshot(name);
    EXPECT_TRUE(shot && shot->Width() == 815 && shot->Height() == 500);
    return shot;
  }
  std::string GainText() {
    char text[64] = "";
    Dispatch(host_->Effect(), effGetParamDisplay, kGain, 0, text);
    return text;
  }
  std::unique_ptr<X11TestHost> host_;
};

TEST_F(X11Editor, PanelShowsTheArtworkAndReadOutsInAFixedSizeEmbeddedChild) {
  int width = 0, height = 0;
  host_->EditorRect(&width, &height);
  EXPECT_EQ(width, 815);
  EXPECT_EQ(height, 500);
  OpenAndShow(2);
  host_->EditorRect(&width, &height);
  EXPECT_EQ(width * 1000 + height, 815500);

  Display* display = host_->XDisplay();
  Window root, parent, *children = nullptr;
  unsigned count = 0;
  ASSERT_TRUE(XQueryTree(display, host_->TopLevel(), &root, &parent, &children, &count));
  ASSERT_EQ(count, 1u);
  const Window editor = children[0];
  XFree(children);
  XWindowAttributes attributes;
  ASSERT_TRUE(XGetWindowAttributes(display, editor, &attributes));
  EXPECT_EQ(attributes.width, 815);
  EXPECT_EQ(attributes.height, 500);
  EXPECT_EQ(attributes.map_state, IsViewable);
  XSizeHints hints{};
  long supplied = 0;
  ASSERT_TRUE(XGetWMNormalHints(display, editor, &hints, &supplied));
  EXPECT_EQ(hints.min_width * 1000 + hints.min_height, 815500);
  EXPECT_EQ(hints.max_width * 1000 + hints.max_height, 815500);
  const Atom xembed = XInternAtom(display, "_XEMBED_INFO", False);
  Atom type;
  int format;
  unsigned long items, after;
  unsigned char* data = nullptr;
  ASSERT_EQ(XGetWindowProperty(display, editor, xembed, 0, 2, False, xembed, &type, &format, &items, &after, &data),
            Success);
  ASSERT_EQ(items, 2u);
  EXPECT_EQ(reinterpret_cast<long*>(data)[1] & 1, 1);  // mapped
  XFree(data);

  auto shot = Shot("linux-audio-matrix");
  auto art = ReadPngFile(KESTREL_SOURCE_DIR "/resources/img/brume_background.png");
  ASSERT_TRUE(shot && art);
  // The artwork where no control draws; text in the read-outs and menus.
  EXPECT_EQ(CountDifferent(*shot, *art, 0, 0, 815, 30), 0);
  EXPECT_GT(CountDifferent(*shot, *art, 173, 435, 258, 460), 20) << "gain read-out";
  EXPECT_GT(CountDifferent(*shot, *art, 275, 85, 375, 105), 20) << "first source menu";

  // Keys the editor does not use stay the host's (space: transport).
  EXPECT_EQ(Dispatch(host_->Effect(), effEditKeyDown, ' ', 7), 0);
  EXPECT_EQ(Dispatch(host_->Effect(), effEditKeyDown, 'a', 0), 0);
  EXPECT_EQ(Dispatch(host_->Effect(), effEditKeyUp, ' ', 7), 0);
}

TEST_F(X11Editor, SelectorSwitchesBetweenTheMatrixPages) {
  OpenAndShow(2);
  auto audio = Shot();
  ASSERT_TRUE(host_->Xdotool("mousemove 480 47 click 1"));
  EXPECT_EQ(host_->Param(kMatrixTab), 1.0f);
  auto mod = Shot("linux-mod-matrix");
  ASSERT_TRUE(audio && mod);
  EXPECT_GT(CountDifferent(*audio, *mod, 264, 80, 552, 380), 500) << "matrix rows";
  EXPECT_GT(CountDifferent(*audio, *mod, 330, 35, 630, 60), 100) << "selector";
  ASSERT_TRUE(host_->Xdotool("mousemove 600 50 click 1"));
  EXPECT_EQ(host_->Param(kMatrixTab), 0.0f);
  auto back = Shot();
  EXPECT_EQ(CountDifferent(*audio, *back, 264, 35, 630, 380), 0);
}

TEST_F(X11Editor, PanelMenuChoosesAValueAndClosesOnEscapeOrOutside) {
  OpenAndShow();
  auto before = Shot();
  host_->Calls().Clear();
  ASSERT_TRUE(host_->Xdotool("mousemove 300 95 click 1"));
  auto open = Shot("linux-panel-menu");
  ASSERT_TRUE(before && open);
  // Rows 2 and below lie over the panel; the first row is under the pointer.
  EXPECT_GT(CountDifferent(*before, *open, 300, 106, 380, 180), 1000);
  const raster::Pixel menuGrey = open->Row(MenuRowY(95, 4))[303];
  EXPECT_NEAR(raster::ChannelOf(menuGrey, raster::kRed), 0x2E, Depth() < 24 ? 8 : 0);

  // Item 2 of the sources: 2 / 8 of the range, in one edit of its own.
  ASSERT_TRUE(host_->Xdotool("mousemove 330 " + std::to_string(MenuRowY(95, 2)) + " click 1"));
  host_->IdleUntil([&] { return EditLog(host_->Calls(), kAudioIn1).size() >= 5; });
  EXPECT_FLOAT_EQ(host_->Param(kAudioIn1), 0.25f);
  EXPECT_EQ(EditLog(host_->Calls(), kAudioIn1), "BEBAE") << "click: begin, end; choice: begin, value, end";
  auto chosen = Shot();
  EXPECT_EQ(CountDifferent(*before, *chosen, 300, 106, 380, 180), 0) << "menu gone";
  EXPECT_GT(CountDifferent(*before, *chosen, 275, 85, 375, 105), 20) << "new source shown";

  // Escape and a click outside close it without a change.
  host_->Calls().Clear();
  ASSERT_TRUE(host_->Xdotool("mousemove 300 95 click 1 key Escape"));
  // (Elsewhere in the control: the same spot so soon would be a double click.)
  ASSERT_TRUE(host_->Xdotool("mousemove 340 95 click 1 mousemove 700 300 click 1"));
  host_->IdleUntil([&] { return EditLog(host_->Calls(), kAudioIn1).size() >= 4; });
  EXPECT_FLOAT_EQ(host_->Param(kAudioIn1), 0.25f);
  EXPECT_EQ(EditLog(host_->Calls(), kAudioIn1), "BEBE") << "a dismissed menu sends no value";
  auto closed = Shot();
  EXPECT_EQ(CountDifferent(*chosen, *closed, 264, 106, 552, 380), 0);
}

TEST_F(X11Editor, DragWheelAndDoubleClickEditAReadOut) {
  OpenAndShow();
  const float amount = host_->Param(kAudioAmount1);
  host_->Calls().Clear();
  // 16 pixels up on a 20-pixel read-out geared 4: a fifth of the range.
  ASSERT_TRUE(host_->Xdotool("mousemove 530 95 mousedown 1 mousemove 530 87 mousemove 530 79 mouseup 1"));
  host_->IdleUntil([&] {
    const std::string log = EditLog(host_->Calls(), kAudioAmount1);
    return !log.empty() && log.back() == 'E';
  });
  EXPECT_NEAR(host_->Param(kAudioAmount1), amount + 0.2f, 1e-5);
  const std::string log = EditLog(host_->Calls(), kAudioAmount1);
  EXPECT_TRUE(log.front() == 'B' && log.back() == 'E' && log.find('A') != std::string::npos) << log;

  // One wheel notch is one step of the gain (0.1 dB), up and down again.
  ASSERT_EQ(GainText(), "0.0");
  ASSERT_TRUE(host_->Xdotool("mousemove 200 447 click 4"));
  host_->IdleUntil([&] { return GainText() == "0.1"; });
  EXPECT_EQ(GainText(), "0.1");
  ASSERT_TRUE(host_->Xdotool("click 5"));
  EXPECT_EQ(GainText(), "0.0");

  // A double click returns the read-out to its default.
  ASSERT_TRUE(host_->Xdotool("mousemove 530 95 click --repeat 2 --delay 80 1"));
  EXPECT_NEAR(host_->Param(kAudioAmount1), amount, 1e-5);
}

// Hosts close the editor (or destroy its parent) whenever they like, also
// while the user drags: the edit still ends, once.
TEST_F(X11Editor, ClosingTheEditorOrItsParentMidDragEndsTheEdit) {
  OpenAndShow();
  host_->Calls().Clear();
  ASSERT_TRUE(host_->Xdotool("mousemove 530 95 mousedown 1 mousemove 530 87"));
  std::string log = EditLog(host_->Calls(), kAudioAmount1);
  ASSERT_TRUE(log.size() >= 2 && log.front() == 'B' && log.find('E') == std::string::npos) << log;
  host_->CloseEditor();
  log = EditLog(host_->Calls(), kAudioAmount1);
  EXPECT_EQ(log.back(), 'E') << log;
  ASSERT_TRUE(host_->Xdotool("mouseup 1"));
  EXPECT_EQ(EditLog(host_->Calls(), kAudioAmount1), log) << "nothing after the close";

  ASSERT_TRUE(host_->OpenEditor());
  host_->Idle(5);
  host_->Calls().Clear();
  ASSERT_TRUE(host_->Xdotool("mousemove 530 95 mousedown 1 mousemove 530 87"));
  host_->DestroyTopLevel();
  host_->Idle(2);
  log = EditLog(host_->Calls(), kAudioAmount1);
  EXPECT_TRUE(log.size() >= 3 && log.front() == 'B' && log.back() == 'E') << log;
  ASSERT_TRUE(host_->Run("xdotool mouseup 1"));
  host_->CloseEditor();
  EXPECT_EQ(EditLog(host_->Calls(), kAudioAmount1), log);
}

TEST_F(X11Editor, IdleAt15And50HzShowsAChangeWithin100Ms) {
  OpenAndShow();
  float value = 0.2f;
  for (int hz : {15, 50}) {
    auto before = Shot();
    host_->Effect()->setParameter(host_->Effect(), kGain, value += 0.3f);
    host_->Idle(hz / 10, hz);  // the idle calls of 100 ms
    auto after = Shot();
    ASSERT_TRUE(before && after);
    EXPECT_GT(CountDifferent(*before, *after, 173, 435, 258, 460), 20) << hz << " Hz";
  }
}

TEST_F(X11Editor, OpenCloseCyclesReopeningAndHostMistakesLeaveNothingBehind) {
  const int descriptors = OpenDescriptorCount();
  {
    X11TestHost second(Plugin());
    for (int cycle = 0; cycle < 100; ++cycle) {
      ASSERT_TRUE(host_->OpenEditor() && second.OpenEditor());
      Dispatch(host_->Effect(), effEditIdle);
      Dispatch(second.Effect(), effEditIdle);
      host_->CloseEditor();
      second.CloseEditor();
    }
    EXPECT_EQ(host_->ChildCount() + second.ChildCount(), 0);
    // A second opening without a close replaces the window.
    ASSERT_TRUE(second.OpenEditor() && second.OpenEditor());
    EXPECT_EQ(second.ChildCount(), 1);
    // The plug-in closed with its editor open takes the editor along.
    second.ClosePlugin();
    EXPECT_EQ(second.ChildCount(), 0);
  }
  // A parent that is not a window, and a parent destroyed before the close.
  EXPECT_EQ(Dispatch(host_->Effect(), effEditOpen, 0, 0, reinterpret_cast<void*>(0x3fffff0)), 0);
  ASSERT_TRUE(host_->OpenEditor());
  host_->DestroyTopLevel();
  host_->Idle(2);
  host_->CloseEditor();
  EXPECT_EQ(OpenDescriptorCount(), descriptors);
}


// Hosts that scan plug-ins in one process load and unload them again and
// again; whatever the library made while drawing text (FreeType's library
// object above all) must go with it. A copy of the file is loaded, so that
// the one the other tests keep cannot hold it in memory.
TEST(X11EditorUnload, LoadDrawUnloadCyclesLeaveNothingBehind) {
  ASSERT_TRUE(StartPrivateXvfb()) << "cannot start Xvfb";
  const std::string copy = ::testing::TempDir() + "brume_unload_copy.so";
  std::filesystem::copy_file(KESTREL_PLUGIN_PATH, copy, std::filesystem::copy_options::overwrite_existing);
  for (int cycle = 0; cycle < 3; ++cycle) {
    PluginFile file(copy);
    ASSERT_TRUE(file.Loaded()) << file.Error();
    X11TestHost host(file);
    ASSERT_TRUE(host.OpenEditor());
    host.Idle(3);  // draws the read-outs: fonts are made
    host.CloseEditor();
    host.ClosePlugin();
  }
#ifdef KESTREL_LSAN
  EXPECT_EQ(__lsan_do_recoverable_leak_check(), 0);
#else
  GTEST_SKIP() << "leaks are counted only under LeakSanitizer (the linux-asan preset)";
#endif
}

TEST_F(X11Editor, WithoutAnXServerTheEditorDoesNotOpen) {
  const std::string display = std::getenv("DISPLAY");
  unsetenv("DISPLAY");
  const VstIntPtr opened = Dispatch(host_->Effect(), effEditOpen, 0, 0, reinterpret_cast<void*>(host_->TopLevel()));
  setenv("DISPLAY", display.c_str(), 1);
  EXPECT_EQ(opened, 0);
  int width = 0, height = 0;
  host_->EditorRect(&width, &height);
  EXPECT_EQ(width * 1000 + height, 815500);
}

TEST_F(X11Editor, OpensInsideA32BitHostWindow) {
  host_ = std::make_unique<X11TestHost>(Plugin(), 32);
  if (!host_->TopLevel()) GTEST_SKIP() << "the screen has no 32-bit visual";
  OpenAndShow();
  EXPECT_EQ(host_->ChildCount(), 1);
  auto shot = Shot();
  auto art = ReadPngFile(KESTREL_SOURCE_DIR "/resources/img/brume_background.png");
  ASSERT_TRUE(shot && art);
  EXPECT_EQ(CountDifferent(*shot, *art, 0, 0, 815, 30), 0);
}
}  // namespace
