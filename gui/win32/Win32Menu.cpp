// Popup menus of the Windows editor: a control's value menu at the mouse
// cursor, or a prompt's menu under its bounds.
#include "gui/win32/IEditorWindow.h"

IMenu* IEditorWindow::ShowPopupMenu(IMenu* menu, const IBounds& bounds) {
  // The menu takes the release of the click that opened it; the view must
  // not treat the next move as a drag.
  ReleaseMouseCapture();
  if (!menu || menu->items.empty()) return nullptr;
  POINT at{bounds.L, bounds.B};
  HWND owner = window_;
  if (menu->atCursor) {
    GetCursorPos(&at);
    // A host window that is not active (the host has the focus elsewhere)
    // still gets its menu.
    if (HWND active = GetActiveWindow()) owner = active;
  } else if (window_) {
    ClientToScreen(window_, &at);
  }
  HMENU native = CreatePopupMenu();
  if (!native) return nullptr;
  for (size_t k = 1; k <= menu->items.size(); ++k) {
    const IMenuItem& item = menu->items[k - 1];
    if (item.flags & IMenuItem::kSeparator) {
      AppendMenuA(native, MF_SEPARATOR, 0, nullptr);
      continue;
    }
    if (item.submenu) continue;
    UINT flags = MF_STRING;
    if (item.flags & IMenuItem::kGreyed) flags |= MF_GRAYED;
    if (item.flags & IMenuItem::kDisabled) flags |= MF_DISABLED;
    if (item.flags & IMenuItem::kChecked) flags |= MF_CHECKED;
    AppendMenuA(native, flags, k, menu->ItemLabel(static_cast<int>(k - 1)).c_str());
  }
  const int command = static_cast<int>(TrackPopupMenu(native, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RETURNCMD | TPM_NONOTIFY,
                                                      at.x, at.y, 0, owner, nullptr));
  DestroyMenu(native);
  if (command <= 0) return nullptr;
  menu->chosen = command - 1;
  return menu;
}
