// The X11 editor's input: pointer and key events turned into the view's
// mouse and key calls, and the panel menu's own handling while it is open.
#include <cstdlib>

#include "gui/x11/X11EditorWindow.h"
#include "gui/x11/X11Keys.h"
// Xlib last: its macros would clash with the headers above.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include "gui/x11/X11ErrorTrap.h"

namespace {
// Double clicks as the desktop's default (GTK): 400 ms, 5 pixels.
constexpr unsigned long kDoubleClickMs = 400;
constexpr int kDoubleClickDistance = 5;

unsigned ButtonBit(unsigned button) { return 1u << (button - 1); }

// The modifiers of a pointer event; `held` are the buttons down after it
// (X reports the state before the event).
IMouseMods ModsOf(unsigned state, unsigned held) {
  IMouseMods mods;
  mods.left = held & ButtonBit(1);
  mods.right = held & ButtonBit(3);
  mods.shift = state & ShiftMask;
  mods.control = state & ControlMask;
  mods.alt = state & Mod1Mask;
  return mods;
}

unsigned HeldButtons(unsigned state) {
  return (state & Button1Mask ? ButtonBit(1) : 0) | (state & Button2Mask ? ButtonBit(2) : 0) |
         (state & Button3Mask ? ButtonBit(3) : 0);
}
}  // namespace

void X11EditorWindow::HandleEvent(XEvent& event) {
  if (event.xany.window != window_) return;
  switch (event.type) {
    case Expose: {
      const XExposeEvent& e = event.xexpose;
      exposed_ = exposed_.Union(IBounds{e.x, e.y, e.x + e.width, e.y + e.height});
      break;
    }
    case ButtonPress:
      OnButtonPress(event.xbutton.button, event.xbutton.x, event.xbutton.y, event.xbutton.state,
                    event.xbutton.time);
      break;
    case ButtonRelease:
      OnButtonRelease(event.xbutton.button, event.xbutton.x, event.xbutton.y, event.xbutton.state);
      break;
    case MotionNotify:
      OnMotion(event.xmotion.x, event.xmotion.y, event.xmotion.state);
      break;
    case LeaveNotify:
      pointerX_ = pointerY_ = -1;
      if (menu_.SetHover(-1)) ShowMenuChange();
      OnMouseOut();
      break;
    case KeyPress:
      ApplyMenuKey(MenuKeyFromKeysym(XLookupKeysym(&event.xkey, 0)));
      break;
    case DestroyNotify:
      windowGone_ = true;
      EndInput();
      break;
    default:
      break;
  }
}

void X11EditorWindow::OnButtonPress(unsigned button, int x, int y, unsigned state, unsigned long time) {
  pointerX_ = x, pointerY_ = y;
  if (button == 4 || button == 5) {
    const int notches = button == 4 ? 1 : -1;
    if (!menu_.IsOpen()) OnMouseWheel(x, y, ModsOf(state, HeldButtons(state)), notches);
    else if (menu_.Contains(x, y) && menu_.Scroll(notches)) {
      menu_.SetHover(menu_.ItemAt(x, y));
      ShowMenuChange();
    }
    return;
  }
  if (button > 3) return;
  if (menu_.IsOpen()) {
    // A press outside closes the menu and goes no further, as with native
    // menus; its release belongs to the menu as well.
    menuButtons_ |= ButtonBit(button);
    if (!menu_.Contains(x, y)) CloseMenu(-1);
    return;
  }
  const IMouseMods mods = ModsOf(state, HeldButtons(state) | ButtonBit(button));
  viewButtons_ |= ButtonBit(button);
  const bool isDouble = button == 1 && clickArmed_ && time - lastClickTime_ <= kDoubleClickMs &&
                        std::abs(x - lastClickX_) <= kDoubleClickDistance &&
                        std::abs(y - lastClickY_) <= kDoubleClickDistance;
  // A double click ends the sequence: a third click is a single one again.
  clickArmed_ = button == 1 && !isDouble;
  lastClickTime_ = time, lastClickX_ = x, lastClickY_ = y;
  if (isDouble) OnMouseDoubleClick(x, y, mods);
  else OnMouseDown(x, y, mods);
}

void X11EditorWindow::OnButtonRelease(unsigned button, int x, int y, unsigned state) {
  if (button < 1 || button > 3) return;
  const unsigned bit = ButtonBit(button);
  if (menuButtons_ & bit) {
    menuButtons_ &= ~bit;
    const int item = menu_.ItemAt(x, y);
    if (button == 1 && item >= 0) CloseMenu(item);
    return;
  }
  if (!(viewButtons_ & bit)) return;  // pressed before the window existed
  viewButtons_ &= ~bit;
  OnMouseUp(x, y, ModsOf(state, HeldButtons(state) & ~bit));
}

void X11EditorWindow::OnMotion(int x, int y, unsigned state) {
  pointerX_ = x, pointerY_ = y;
  if (menu_.IsOpen() && menu_.SetHover(menu_.ItemAt(x, y))) ShowMenuChange();
  const unsigned held = HeldButtons(state);
  // Dragging needs no grab: X delivers the motion of a held button to the
  // window the press was in, wherever the pointer goes.
  if ((viewButtons_ & held) & (ButtonBit(1) | ButtonBit(3))) OnMouseDrag(x, y, ModsOf(state, held));
  else if (!(held & (ButtonBit(1) | ButtonBit(3)))) OnMouseOver(x, y, ModsOf(state, held));
}

// ---- Panel menu -------------------------------------------------------------------------

IMenu* X11EditorWindow::ShowPopupMenu(IMenu* menu, const IBounds& bounds) {
  if (!menu || menu->items.empty() || !display_ || windowGone_) {
    CompleteMenu(-1);
    return nullptr;
  }
  const IBounds previous = menu_.Bounds();
  menu_.Open(*menu, bounds, Width(), Height());
  if (pointerX_ >= 0) menu_.SetHover(menu_.ItemAt(pointerX_, pointerY_));
  // Keys reach the window only while it shows a menu (Escape closes it);
  // otherwise they stay the host's.
  XSelectInput(display_, window_, eventMask_ | KeyPressMask);
  Present(previous);
  ShowMenuChange();
  return nullptr;  // answered later through CompleteMenu
}

void X11EditorWindow::ShowMenuChange() { Present(menu_.Bounds()); }

void X11EditorWindow::CloseMenu(int chosen) {
  const IBounds shown = menu_.Bounds();
  menu_.Close();
  if (display_ && !windowGone_) {
    XSelectInput(display_, window_, eventMask_);
    Present(shown);  // the panel underneath, from the backing store
  }
  CompleteMenu(chosen);
}

bool X11EditorWindow::ApplyMenuKey(MenuKey key) {
  if (!menu_.IsOpen()) return false;
  switch (key) {
    case MenuKey::kClose: CloseMenu(-1); return true;
    case MenuKey::kChoose: CloseMenu(menu_.Hover()); return true;
    case MenuKey::kUp:
    case MenuKey::kDown:
      if (menu_.MoveHover(key == MenuKey::kUp ? -1 : 1)) ShowMenuChange();
      return true;
    default: return false;
  }
}

bool X11EditorWindow::HostKey(int character, int virtualKey, int, bool down) {
  if (!display_) return false;
  X11ErrorTrap trap(display_);
  if (menu_.IsOpen() && MenuKeyFromHostKey(virtualKey) != MenuKey::kNone) {
    if (down) ApplyMenuKey(MenuKeyFromHostKey(virtualKey));
    XFlush(display_);
    return true;
  }
  const int code = KeyCodeFromHostKey(character, virtualKey);
  if (code < 0) return false;
  // The release of a key is the editor's when its press was.
  const size_t bit = static_cast<size_t>(code);
  if (!down) {
    const bool used = keysUsed_.test(bit);
    keysUsed_.reset(bit);
    return used;
  }
  const bool used = OnKeyDown(pointerX_, pointerY_, code);
  keysUsed_.set(bit, used);
  return used;
}
