// The Windows editor window under Wine (null display driver): messages in,
// view calls out, the timer, the text field, menus, dialogs and images.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "framework/IParameter.h"
#include "gui/IControl.h"
#include "gui/win32/IEditorWindow.h"
#include "gui/win32/Win32Dialogs.h"
#include "raster/Bitmap.h"

namespace {
struct Probe : IControl {
  explicit Probe(const IBounds& b) : IControl(nullptr, b) {}
  bool HitTest(int, int) const override { return true; }
  void OnMouseDown(int x, int y, const IMouseMods& m) override { downs.push_back({x, y}), mods = m; }
  void OnMouseDoubleClick(int, int, const IMouseMods&) override { ++doubleClicks; }
  void OnMouseWheel(int x, int, const IMouseMods&, int n) override { wheel.push_back({x, n}); }
  bool OnKeyDown(int, int, int key) override { return keys.push_back(key), true; }
  void OnTextEntered(const char* text) override { entered = text; }
  bool Draw(IEditorView&) override { return ++draws, true; }
  std::vector<std::pair<int, int>> downs, wheel;
  std::vector<int> keys;
  IMouseMods mods;
  int doubleClicks = 0, draws = 0;
  std::string entered;
};

struct Blank : IControl {
  Blank() : IControl(nullptr, IBounds{0, 0, 1, 1}) {}
  bool Draw(IEditorView&) override { return true; }
};

HWND MakeWindow(HWND parent, int x, int y, int w, int h) {
  return CreateWindowExA(0, "STATIC", "", (parent ? WS_CHILD : WS_POPUP) | WS_VISIBLE, x, y, w, h, parent, nullptr,
                         nullptr, nullptr);
}

bool ClassRegistered() {
  WNDCLASSEXA info{};
  info.cbSize = sizeof info;
  return GetClassInfoExA(GetModuleHandleA(nullptr), IEditorWindow::kClassName, &info) != 0;
}

// Runs `answer` on the first dialog or menu window that appears during a
// modal call (from a thread timer, which the modal loop dispatches), once
// `ready` (when given) says the window is filled in. On a loaded machine
// Wine may show the window before that: up to kMaxWaits more ticks are
// waited for, then the answer runs anyway and the test's checks report
// what it found.
constexpr int kMaxWaits = 200;
std::function<void(HWND)> g_answer;
std::function<bool(HWND)> g_ready;
int g_waits = 0;
void CALLBACK AnswerModal(HWND, UINT, UINT_PTR timer, DWORD) {
  HWND found = FindWindowA("#32770", nullptr);
  if (!found) found = FindWindowA("#32768", nullptr);
  if (!found || !g_answer) return;
  if (g_ready && !g_ready(found) && ++g_waits < kMaxWaits) return;
  KillTimer(nullptr, timer);
  auto answer = std::move(g_answer);
  answer(found);
}
void AnswerNextModal(std::function<void(HWND)> answer, std::function<bool(HWND)> ready = nullptr) {
  g_answer = std::move(answer);
  g_ready = std::move(ready);
  g_waits = 0;
  SetTimer(nullptr, 0, 50, AnswerModal);
}
HMENU MenuOf(HWND menuWindow) { return reinterpret_cast<HMENU>(SendMessageA(menuWindow, MN_GETHMENU, 0, 0)); }

class EditorWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    parent = MakeWindow(nullptr, 100, 50, 400, 300);
    editor.SetModuleHandle(GetModuleHandleA(nullptr));
    editor.AddControl(new Blank);
    probe = new Probe(IBounds{10, 10, 60, 30});
    editor.AddControl(probe);
    editor.PrepareDrawing();
    window = static_cast<HWND>(editor.OpenWindow(parent));
    ASSERT_NE(window, nullptr);
  }
  void TearDown() override {
    editor.CloseWindow();
    DestroyWindow(parent);
  }
  LRESULT Send(UINT message, WPARAM w, LPARAM l) { return SendMessageA(window, message, w, l); }
  void Tick() { Send(WM_TIMER, IEditorWindow::kTimerId, 0); }

  HWND parent = nullptr, window = nullptr;
  IEditorWindow editor{nullptr, 200, 100, 0};
  Probe* probe = nullptr;
};

TEST_F(EditorWindowTest, ClassIsSharedByAllEditorsAndReopeningKeepsThePlace) {
  char name[32];
  GetWindowTextA(window, name, sizeof name);
  EXPECT_STREQ(name, "Kestrel");
  IEditorWindow second(nullptr, 50, 50, 0);
  second.SetModuleHandle(GetModuleHandleA(nullptr));
  ASSERT_NE(second.OpenWindow(parent), nullptr);
  EXPECT_EQ(IEditorWindow::OpenWindowCount(), 2);
  SetWindowPos(window, nullptr, 30, 40, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  HWND reopened = static_cast<HWND>(editor.OpenWindow(parent));
  RECT r;
  GetWindowRect(reopened, &r);
  MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&r), 2);
  EXPECT_EQ(IsWindow(window), FALSE);
  EXPECT_EQ((std::vector<long>{r.left, r.top, r.right, r.bottom}), (std::vector<long>{30, 40, 230, 140}));
  second.CloseWindow();
  EXPECT_TRUE(ClassRegistered());
  editor.CloseWindow();
  EXPECT_FALSE(ClassRegistered());
  EXPECT_EQ(IEditorWindow::OpenWindowCount(), 0);

  // A host that destroys its window without closing the editor first.
  HWND doomed = MakeWindow(nullptr, 0, 0, 300, 200);
  editor.OpenWindow(doomed);
  DestroyWindow(doomed);
  EXPECT_EQ(editor.GetWindow(), nullptr);
  EXPECT_EQ(IEditorWindow::OpenWindowCount(), 0);
  EXPECT_NE(editor.OpenWindow(parent), nullptr);
}

TEST_F(EditorWindowTest, MouseWheelAndKeysReachTheViewInEditorTerms) {
  Send(WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT, MAKELPARAM(0xFFFD, 7));  // x = -3
  Send(WM_LBUTTONUP, 0, MAKELPARAM(0xFFFD, 7));
  ASSERT_EQ(probe->downs.size(), 1u);
  EXPECT_EQ(probe->downs[0], std::make_pair(-3, 7));
  EXPECT_TRUE(probe->mods.left && probe->mods.shift && !probe->mods.right && !probe->mods.control);
  Send(WM_RBUTTONDBLCLK, MK_RBUTTON, MAKELPARAM(5, 5));  // only left double clicks count
  Send(WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(5, 5));
  EXPECT_EQ(probe->doubleClicks, 1);
  RECT origin;
  GetWindowRect(window, &origin);
  Send(WM_MOUSEWHEEL, MAKEWPARAM(0, 60), MAKELPARAM(origin.left + 12, origin.top + 5));
  Send(WM_MOUSEWHEEL, MAKEWPARAM(0, -240), MAKELPARAM(origin.left + 12, origin.top + 5));
  EXPECT_EQ(probe->wheel, (std::vector<std::pair<int, int>>{{12, 0}, {12, -2}}));
  for (int key : {int{' '}, VK_RIGHT, int{'7'}, int{'Q'}, 0x61 /* number pad 1 */, VK_F1, VK_RETURN}) Send(WM_KEYDOWN, key, 0);
  EXPECT_EQ(probe->keys, (std::vector<int>{0, 4, 12, 31, 15, 30}));
}

TEST_F(EditorWindowTest, OnlyTheRedrawTimerPaintsDirtyControls) {
  Tick();  // opening marked everything dirty
  const int afterOpen = probe->draws;
  EXPECT_GE(afterOpen, 1);
  probe->MarkDirty(false);
  Send(WM_TIMER, 3, 0);
  EXPECT_EQ(probe->draws, afterOpen);
  Tick();
  EXPECT_EQ(probe->draws, afterOpen + 1);
}

TEST_F(EditorWindowTest, TextFieldFiltersCommitsOnEnterAndCancelsOnAClick) {
  IParameter count;
  count.DefineEnum("Count", 0, 20);
  count.AddValueText(15, "15");
  editor.ShowTextEntry(probe, probe->TextStyle(), IBounds{10, 10, 60, 30}, "3", &count);
  HWND field = editor.TextField();
  ASSERT_NE(field, nullptr);
  EXPECT_EQ(GetDlgCtrlID(field), IEditorWindow::kTextFieldId);
  for (char c : std::string("1.5")) SendMessageA(field, WM_CHAR, static_cast<WPARAM>(c), 0);
  char text[32];
  GetWindowTextA(field, text, sizeof text);
  EXPECT_STREQ(text, "15");
  SendMessageA(field, WM_KEYDOWN, VK_RETURN, 0);
  Tick();
  EXPECT_EQ(editor.TextField(), nullptr);
  EXPECT_DOUBLE_EQ(probe->Value(), count.NormalisedOf(15));

  // Without a parameter the control gets the text; a click drops the field.
  editor.ShowTextEntry(probe, probe->TextStyle(), IBounds{10, 10, 60, 30}, "abc", nullptr);
  Send(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  Tick();
  EXPECT_EQ(editor.TextField(), nullptr);
  EXPECT_EQ(probe->entered, "");
  editor.ShowTextEntry(probe, probe->TextStyle(), IBounds{10, 10, 60, 30}, "abc", nullptr);
  SendMessageA(editor.TextField(), WM_KEYDOWN, VK_RETURN, 0);
  Tick();
  EXPECT_EQ(probe->entered, "abc");
}

TEST_F(EditorWindowTest, PopupMenuNumbersItemsKeepsFlagsAndReturnsTheChoice) {
  IMenu menu;
  menu.numbering = IMenu::kTwoDigits;
  for (char c = 'a'; c <= 'i'; ++c) menu.items.push_back(IMenuItem{std::string(1, c), nullptr, 0});
  menu.items[2].flags = IMenuItem::kChecked;
  std::string ninth;
  UINT thirdState = 0;
  const int count = static_cast<int>(menu.items.size());
  auto filled = [count](HWND menuWindow) {
    char last[32] = {};
    HMENU native = MenuOf(menuWindow);
    return native && GetMenuItemCount(native) == count &&
           GetMenuStringA(native, count - 1, last, sizeof last, MF_BYPOSITION) > 0;
  };
  AnswerNextModal(
      [&](HWND menuWindow) {
        HMENU native = MenuOf(menuWindow);
        char label[32] = {};
        GetMenuStringA(native, 8, label, sizeof label, MF_BYPOSITION);
        ninth = label;
        thirdState = GetMenuState(native, 2, MF_BYPOSITION);
        for (int key : {VK_DOWN, VK_DOWN, VK_RETURN}) PostMessageA(window, WM_KEYDOWN, key, 0);
      },
      filled);
  IMenu* chosen = editor.ShowPopupMenu(&menu, IBounds{10, 10, 60, 30});
  EXPECT_EQ(ninth, "09: i");
  EXPECT_TRUE(thirdState & MF_CHECKED);
  ASSERT_EQ(chosen, &menu);
  EXPECT_EQ(menu.chosen, 1);
  menu.items.clear();
  EXPECT_EQ(editor.ShowPopupMenu(&menu, IBounds{10, 10, 60, 30}), nullptr);
}

// At a size the user picked (200 % in a 96 dpi window), the items are drawn
// by the editor at its scale, and keep their labels and states.
TEST_F(EditorWindowTest, APopupMenuAtAPickedSizeIsDrawnAtThatScale) {
  editor.SetUserScale(200);
  IMenu menu;
  for (const char* label : {"one", "two", "three"}) menu.items.push_back(IMenuItem{label, nullptr, 0});
  menu.items[1].flags = IMenuItem::kChecked;
  std::string second;
  UINT secondType = 0, secondState = 0;
  int itemHeight = 0;
  AnswerNextModal(
      [&](HWND menuWindow) {
        HMENU native = MenuOf(menuWindow);
        char label[32] = {};
        GetMenuStringA(native, 1, label, sizeof label, MF_BYPOSITION);
        second = label;
        MENUITEMINFOA info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_STATE;
        GetMenuItemInfoA(native, 1, TRUE, &info);
        secondType = info.fType;
        secondState = info.fState;
        RECT item{};
        if (GetMenuItemRect(nullptr, native, 1, &item)) itemHeight = item.bottom - item.top;
        PostMessageA(window, WM_KEYDOWN, VK_ESCAPE, 0);
      },
      [](HWND menuWindow) { return MenuOf(menuWindow) && GetMenuItemCount(MenuOf(menuWindow)) == 3; });
  EXPECT_EQ(editor.ShowPopupMenu(&menu, IBounds{10, 10, 60, 30}), nullptr);
  EXPECT_EQ(second, "two");
  EXPECT_TRUE(secondType & MFT_OWNERDRAW);
  EXPECT_TRUE(secondState & MFS_CHECKED);
  EXPECT_GE(itemHeight, 2 * 15);  // the text alone is 30 pixels high at 200 %
  editor.SetUserScale(0);
}

TEST_F(EditorWindowTest, DialogsTakeTheirTitlesAndReportTheAnswer) {
  std::string title;
  auto press = [&title](int button) {
    return [&title, button](HWND dialog) {
      char text[64] = {};
      GetWindowTextA(dialog, text, sizeof text);
      title = text;
      PostMessageA(dialog, WM_COMMAND, button, 0);
    };
  };
  IRgba colour{255, 10, 20, 30};
  AnswerNextModal(press(IDOK));
  EXPECT_TRUE(editor.PickColor(colour, "Ink"));
  EXPECT_EQ(title, "Ink");
  EXPECT_EQ((std::vector<int>{colour.R, colour.G, colour.B}), (std::vector<int>{10, 20, 30}));
  AnswerNextModal(press(IDCANCEL));
  EXPECT_FALSE(editor.PickColor(colour, nullptr));
  AnswerNextModal(press(IDNO));
  EXPECT_FALSE(editor.OpenLink("https://example.invalid/", "Brume", "Open the page?", nullptr));
  EXPECT_EQ(title, "Brume");

  std::string file = "preset.txt", folder;
  AnswerNextModal(press(IDCANCEL));
  editor.ChooseFile(file, IEditorView::kFileSave, folder, "txt png");
  EXPECT_EQ(file, "preset.txt");
  EXPECT_FALSE(folder.empty());  // the desktop
  EXPECT_EQ(win32dialogs::FileFilter("png txt"), std::string("*.png;*.txt\0*.png;*.txt\0\0", 25));
  editor.CloseWindow();
  editor.ChooseFile(file, IEditorView::kFileOpen, folder, "txt");
  EXPECT_EQ(file, "");
}

TEST_F(EditorWindowTest, FoldersEndInABackslash) {
  char exe[MAX_PATH];
  GetModuleFileNameA(nullptr, exe, MAX_PATH);
  std::string host, plugin;
  editor.GetHostPath(host);
  editor.GetPluginPath(plugin);
  EXPECT_EQ(host, win32dialogs::FolderOf(exe));
  EXPECT_EQ(plugin, host);
  EXPECT_EQ(host.back(), '\\');
  EXPECT_EQ(win32dialogs::FolderOf("no-folder.dll"), "");
}

TEST_F(EditorWindowTest, ImagesComeFromUsEnglishPngResources) {
  EXPECT_NE(FindResourceExA(nullptr, "PNG", MAKEINTRESOURCEA(100), MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US)),
            nullptr);
  auto panel = editor.LoadPngResource(100, "resources/img/brume_background.PNG");
  auto selector = editor.LoadPngResource(101, "matrix_selector.png");
  ASSERT_TRUE(panel && selector);
  EXPECT_EQ((std::vector<int>{panel->Width(), panel->Height(), selector->Width(), selector->Height()}),
            (std::vector<int>{815, 500, 300, 50}));
  EXPECT_EQ(editor.LoadPngResource(100, "brume_background.bmp"), nullptr);
  EXPECT_EQ(editor.LoadPngResource(102, "missing.png"), nullptr);
}

TEST_F(EditorWindowTest, ResizingGrowsTheWindowAndTheChildWindowsAroundIt) {
  HWND outer = MakeWindow(nullptr, 0, 0, 400, 300);
  HWND inner = MakeWindow(outer, 0, 0, 300, 200);
  editor.OpenWindow(inner);
  editor.ResizeEditor(250, 130);
  std::vector<long> sizes;
  for (HWND w : {static_cast<HWND>(editor.GetWindow()), inner, outer}) {
    RECT r;
    GetWindowRect(w, &r);
    sizes.insert(sizes.end(), {r.right - r.left, r.bottom - r.top});
  }
  EXPECT_EQ(sizes, (std::vector<long>{250, 130, 350, 230, 450, 330}));
  EXPECT_EQ(editor.BackingStore()->Width(), 250);
  editor.CloseWindow();
  DestroyWindow(outer);
}
}  // namespace
