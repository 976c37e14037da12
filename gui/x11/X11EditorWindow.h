#pragma once
#include <bitset>
#include <chrono>
#include <memory>
#include <string>

#include "gui/IEditorView.h"
#include "gui/x11/PanelMenu.h"

typedef struct _XDisplay Display;
union _XEvent;
class X11Surface;
enum class MenuKey;

// The Linux editor: a plain Xlib child window inside the host's window.
// It has no thread and no timer of its own: everything happens inside the
// host's calls on its UI thread. Opening makes a private Display connection
// (the host's is never used) and the window; the host's idle tick handles
// the pending events and, at most once per frame (40 ms at 25 frames per
// second), draws the dirty controls; closing frees the window, the images
// and the connection. X requests run under an error trap,
// since the host may have destroyed the parent already. Menus are drawn
// inside the panel (PanelMenu) and answered through CompleteMenu. The window
// never takes the keyboard focus or grabs the pointer or keyboard.
class X11EditorWindow : public IEditorView {
 public:
  X11EditorWindow(IEditorDelegate* plugin, int width, int height, int frameRate);
  ~X11EditorWindow() override;

  static IEditorView* Create(IEditorDelegate* plugin, int width, int height, int frameRate);

  // ---- IEditorView platform hooks -------------------------------------------
  bool PresentToScreen(const IBounds& bounds) override;
  void CancelTextEntry() override {}
  IMenu* ShowPopupMenu(IMenu* menu, const IBounds& bounds) override;
  bool MenusAreModal() const override { return false; }
  // No control of this editor prompts for text; there is no text field.
  void ShowTextEntry(IControl*, const ITextStyle&, const IBounds&, const char*, const IParameter*) override {}
  void GetHostPath(std::string& out) override;
  void GetPluginPath(std::string& out) override;
  // There are no native dialogs on plain X11: the choice is cancelled.
  void ChooseFile(std::string&, int, std::string&, const char*) override {}
  bool PickColor(IRgba&, const char*) override { return false; }
  bool OpenLink(const char*, const char*, const char*, const char*) override { return false; }

  // ---- Window (the format's editor calls, host UI thread) ------------------
  // Null when there is no X server (DISPLAY unset), the parent is not a
  // window, or the window cannot be made. A second opening closes first.
  void* OpenWindow(void* parentWindow) override;
  void CloseNativeWindow() override;
  void* GetWindow() override;
  void IdleWindow() override;
  int EventDescriptor() override;
  bool HostKey(int character, int virtualKey, int modifiers, bool down) override;
  // Xft.dpi of the display, read without opening the window.
  void QuerySystemScale() override;
  // Linux hosts that know no scale of their own pass exactly 1.0 (Ardour to
  // VST3 and LV2 editors, not to VST 2.4 ones): that is no preference, and
  // the display's scale applies, so a host shows Brume at one size in every
  // format. Any other factor wins over the display's.
  void SetHostScale(double factor) override { IEditorView::SetHostScale(factor == 1.0 ? 0.0 : factor); }

 protected:
  // Resizes the open window, its size hints and its surface, and redraws.
  void ScaleChanged() override;

 private:
  void HandleEvent(_XEvent& event);
  // Pointer events: the button (1-5), the point, the modifier and button
  // state before the event, and its server time.
  void OnButtonPress(unsigned button, int x, int y, unsigned state, unsigned long time);
  void OnButtonRelease(unsigned button, int x, int y, unsigned state);
  void OnMotion(int x, int y, unsigned state);
  bool ApplyMenuKey(MenuKey key);
  void CloseMenu(int chosen);
  void ShowMenuChange();
  void Present(const IBounds& bounds);
  void RedrawIfDue();
  void SetSizeHints();

  Display* display_ = nullptr;
  unsigned long window_ = 0;
  unsigned long colormap_ = 0;
  void* visual_ = nullptr;  // the window's Visual
  int depth_ = 0;
  bool windowGone_ = false;  // the host destroyed it with its parent
  bool systemScaleAsked_ = false;  // by QuerySystemScale, since the last close
  long eventMask_ = 0;
  std::unique_ptr<X11Surface> surface_;
  PanelMenu menu_;
  IBounds exposed_;
  std::chrono::steady_clock::time_point lastRedraw_;

  // Mouse state: buttons pressed on the panel (bit n-1 for button n), and
  // buttons whose press went to a menu (their release is the menu's too).
  unsigned viewButtons_ = 0;
  unsigned menuButtons_ = 0;
  unsigned long lastClickTime_ = 0;
  int lastClickX_ = 0, lastClickY_ = 0;
  bool clickArmed_ = false;
  int pointerX_ = -1, pointerY_ = -1;
  std::bitset<kKeyCodeCount> keysUsed_;
};
