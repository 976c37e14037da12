// Popup menus of the Windows editor: a control's value menu at the mouse
// cursor, or a prompt's menu under its bounds. Windows draws its menus at
// the host window's DPI; when the editor runs at another scale (a size the
// user picked), the editor draws the items itself at its own scale.
#include "gui/EditorScale.h"
#include "gui/win32/IEditorWindow.h"

namespace {
// Menu text and padding in logical pixels, about Windows' own at 100 %.
constexpr int kMenuTextHeight = 15;
constexpr int kMenuPadding = 4;
constexpr const char* kMenuFace = "Tahoma";

HFONT MenuFont(int scale) {
  return CreateFontA(-EditorScale::Physical(kMenuTextHeight, scale), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                     DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH,
                     kMenuFace);
}
}  // namespace

bool IEditorWindow::MeasureMenuItem(MEASUREITEMSTRUCT* item) {
  if (!ownDrawnMenu_ || !item || item->CtlType != ODT_MENU) return false;
  const std::string label = ownDrawnMenu_->ItemLabel(static_cast<int>(item->itemData));
  HDC dc = GetDC(window_);
  HFONT font = MenuFont(Scale());
  HGDIOBJ old = SelectObject(dc, font);
  SIZE size{};
  GetTextExtentPoint32A(dc, label.c_str(), static_cast<int>(label.size()), &size);
  SelectObject(dc, old);
  DeleteObject(font);
  ReleaseDC(window_, dc);
  const int pad = EditorScale::Physical(kMenuPadding, Scale());
  // Room for a check mark as wide as the line is high on the left.
  item->itemHeight = static_cast<UINT>(size.cy + 2 * pad);
  item->itemWidth = static_cast<UINT>(size.cx + size.cy + 4 * pad);
  return true;
}

bool IEditorWindow::DrawMenuItem(const DRAWITEMSTRUCT* item) {
  if (!ownDrawnMenu_ || !item || item->CtlType != ODT_MENU) return false;
  const int index = static_cast<int>(item->itemData);
  const bool selected = (item->itemState & ODS_SELECTED) != 0;
  const bool greyed = (item->itemState & (ODS_GRAYED | ODS_DISABLED)) != 0;
  RECT area = item->rcItem;
  FillRect(item->hDC, &area, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_MENU));
  const COLORREF ink = GetSysColor(greyed ? COLOR_GRAYTEXT : selected ? COLOR_HIGHLIGHTTEXT : COLOR_MENUTEXT);
  const int height = area.bottom - area.top;
  const int pad = EditorScale::Physical(kMenuPadding, Scale());
  if (item->itemState & ODS_CHECKED) {
    // A filled square where Windows puts its check mark.
    const int side = height / 3;
    RECT mark{area.left + (height - side) / 2, area.top + (height - side) / 2, 0, 0};
    mark.right = mark.left + side;
    mark.bottom = mark.top + side;
    HBRUSH brush = CreateSolidBrush(ink);
    FillRect(item->hDC, &mark, brush);
    DeleteObject(brush);
  }
  HFONT font = MenuFont(Scale());
  HGDIOBJ old = SelectObject(item->hDC, font);
  SetBkMode(item->hDC, TRANSPARENT);
  SetTextColor(item->hDC, ink);
  const std::string label = ownDrawnMenu_->ItemLabel(index);
  RECT text{area.left + height + pad, area.top, area.right - pad, area.bottom};
  DrawTextA(item->hDC, label.c_str(), static_cast<int>(label.size()), &text, DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_NOPREFIX);
  SelectObject(item->hDC, old);
  DeleteObject(font);
  return true;
}

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
  // The items are ours to draw only at a scale Windows does not draw at;
  // then this window owns the menu, so it is asked to measure and draw.
  const bool ownDrawn = window_ && Scale() != NativeScale();
  if (ownDrawn) owner = window_;
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
    const std::string label = menu->ItemLabel(static_cast<int>(k - 1));
    if (!ownDrawn) {
      AppendMenuA(native, flags, k, label.c_str());
      continue;
    }
    // Owner-drawn, with the label kept as the item's text for anyone who
    // reads the menu (accessibility tools, tests).
    MENUITEMINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STATE | MIIM_STRING | MIIM_DATA;
    info.fType = MFT_OWNERDRAW;
    // Disabled or greyed, Windows keeps the item from being chosen (the two
    // states are one for menu items it does not draw).
    info.fState = (flags & (MF_GRAYED | MF_DISABLED) ? MFS_DISABLED : 0) | (flags & MF_CHECKED ? MFS_CHECKED : 0);
    info.wID = static_cast<UINT>(k);
    info.dwItemData = k - 1;
    info.dwTypeData = const_cast<char*>(label.c_str());
    InsertMenuItemA(native, static_cast<UINT>(GetMenuItemCount(native)), TRUE, &info);
  }
  ownDrawnMenu_ = ownDrawn ? menu : nullptr;
  const int command = static_cast<int>(TrackPopupMenu(native, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RETURNCMD | TPM_NONOTIFY,
                                                      at.x, at.y, 0, owner, nullptr));
  ownDrawnMenu_ = nullptr;
  DestroyMenu(native);
  if (command <= 0) return nullptr;
  menu->chosen = command - 1;
  return menu;
}
