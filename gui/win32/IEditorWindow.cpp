#include "gui/win32/IEditorWindow.h"

#include "gui/IControl.h"
#include "gui/win32/Win32Input.h"
#include "gui/win32/Win32Resources.h"
#include "raster/Bitmap.h"

namespace {
// Shared by the editor windows of every instance in the process; changed
// only by opening and closing, on the host's UI thread.
int g_openWindows = 0;
double g_redrawRate = IEditorView::kDefaultFrameRate;

IMouseMods MouseMods(WPARAM wParam) {
  return win32input::ModsOf(GET_KEYSTATE_WPARAM(wParam), (GetKeyState(VK_MENU) & 0x8000) != 0);
}

// The DPI Windows reports for the window, through GetDpiForWindow (looked
// up at run time: older systems lack it), as a scale: 96 dpi, and every
// window of a DPI-unaware host, is 100 %. 0 when the call is missing.
template <typename Function>
Function User32Function(const char* name) {
  HMODULE user32 = GetModuleHandleA("user32.dll");
  return user32 ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(user32, name))) : nullptr;
}

int ScaleOfDpi(UINT dpi) { return dpi > 0 ? EditorScale::Snap(dpi / 96.0) : 0; }

int DpiScaleOf(HWND window) {
  auto getDpi = User32Function<UINT(WINAPI*)(HWND)>("GetDpiForWindow");
  return getDpi && window ? ScaleOfDpi(getDpi(window)) : 0;
}

// Before there is a window: the DPI the calling (host UI) thread's windows
// get, 96 when the thread is DPI-unaware.
int SystemDpiScale() {
  auto getDpi = User32Function<UINT(WINAPI*)()>("GetDpiForSystem");
  return getDpi ? ScaleOfDpi(getDpi()) : 0;
}
// Sent to child windows when the top-level window's DPI changed.
constexpr UINT kDpiChangedAfterParent = 0x02E3;

HDC BackingContext(raster::Bitmap* store) {
  return store ? reinterpret_cast<HDC>(store->Context()) : nullptr;
}
}  // namespace

IEditorWindow::IEditorWindow(IEditorDelegate* plugin, int width, int height, int frameRate)
    : IEditorView(plugin, width, height, frameRate) {}

IEditorWindow::~IEditorWindow() { CloseWindow(); }

int IEditorWindow::OpenWindowCount() { return g_openWindows; }

// ---- Opening and closing --------------------------------------------------------------

void* IEditorWindow::OpenWindow(void* parentHandle) {
  HWND parent = static_cast<HWND>(parentHandle);
  parent_ = parent;
  SetSystemScale(DpiScaleOf(parent));
  int x = 0, y = 0;
  if (window_) {
    // Reopening puts the new window where the old one was, in the parent's
    // client coordinates (the parent's frame does not shift it).
    RECT old;
    GetWindowRect(window_, &old);
    MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&old), 2);
    CloseWindow();
    x = old.left, y = old.top;
  }
  const int width = Width(), height = Height();
  if (g_openWindows++ == 0) {
    WNDCLASSA windowClass{};
    windowClass.style = CS_DBLCLKS;
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = module_;
    windowClass.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    windowClass.lpszClassName = kClassName;
    RegisterClassA(&windowClass);
  }
  g_redrawRate = FrameRate();
  HWND window = CreateWindowExA(0, kClassName, "Kestrel", WS_CHILD | WS_VISIBLE, x, y, width, height, parent,
                                nullptr, module_, this);
  if (!window) {
    if (--g_openWindows == 0) UnregisterClassA(kClassName, module_);
    return nullptr;
  }
  window_ = window;
  SyncWithPlugin();
  MarkAllControlsDirty();
  return window_;
}

void IEditorWindow::CloseNativeWindow() {
  if (!window_) return;
  RemoveTextField();
  HWND window = window_;
  window_ = nullptr;  // from here on its messages go to the default procedure
  KillTimer(window, kTimerId);
  DestroyWindow(window);
  if (--g_openWindows == 0) UnregisterClassA(kClassName, module_);
}

void IEditorWindow::ForgetDestroyedWindow() {
  // The class cannot be unregistered while this window still exists, so
  // the next opening finds it registered.
  EndInput();
  RemoveTextField();
  KillTimer(window_, kTimerId);
  window_ = nullptr;
  if (--g_openWindows == 0) UnregisterClassA(kClassName, module_);
}

// ---- Window procedure -----------------------------------------------------------------

LRESULT CALLBACK IEditorWindow::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CREATE) {
    auto* self = static_cast<IEditorWindow*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    SetTimer(hwnd, kTimerId, static_cast<UINT>(1000.0 / g_redrawRate), nullptr);
    SetFocus(hwnd);
    return 0;
  }
  auto* self = reinterpret_cast<IEditorWindow*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (!self || self->window_ != hwnd) return DefWindowProcA(hwnd, message, wParam, lParam);
  return self->HandleMessage(hwnd, message, wParam, lParam);
}

LRESULT IEditorWindow::HandleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  using namespace win32input;
  // While the text field has the keyboard, a click only asks it to go.
  // The window's own destruction is always seen, or its handle would stay.
  if (textField_ && textState_ == kFieldFocused && message != WM_DESTROY) {
    if (message == WM_LBUTTONDOWN || message == WM_RBUTTONDOWN) {
      textState_ = kFieldCancel;
      return 0;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
  }
  const int x = LowSigned(lParam), y = HighSigned(lParam);
  switch (message) {
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      return 0;
    case kDpiChangedAfterParent:
      SetSystemScale(DpiScaleOf(parent_));
      return 0;
    case WM_MEASUREITEM:
      if (MeasureMenuItem(reinterpret_cast<MEASUREITEMSTRUCT*>(lParam))) return TRUE;
      break;
    case WM_DRAWITEM:
      if (DrawMenuItem(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam))) return TRUE;
      break;
    case WM_PAINT: {
      RECT update;
      if (GetUpdateRect(hwnd, &update, FALSE)) Draw(IBounds{update.left, update.top, update.right, update.bottom});
      // Draw presents only when there are controls; a region left valid
      // here would bring the paint message back at once.
      ValidateRect(hwnd, nullptr);
      return 0;
    }
    case WM_CLOSE:
      CloseWindow();
      return 0;
    case WM_KEYDOWN: {
      const int key = KeyCodeOf(static_cast<int>(wParam));
      if (key < 0) break;
      POINT cursor;
      GetCursorPos(&cursor);
      ScreenToClient(hwnd, &cursor);
      if (OnKeyDown(cursor.x, cursor.y, key)) return 0;
      break;
    }
    case WM_TIMER:
      if (wParam == kTimerId) OnTimer();
      return 0;
    case WM_MOUSEMOVE:
      if (wParam & (MK_LBUTTON | MK_RBUTTON)) {
        if (GetCapture() == hwnd && !textField_) OnMouseDrag(x, y, MouseMods(wParam));
      } else if (OnMouseOver(x, y, MouseMods(wParam))) {
        TRACKMOUSEEVENT track{sizeof(TRACKMOUSEEVENT), TME_LEAVE, hwnd, HOVER_DEFAULT};
        TrackMouseEvent(&track);
      }
      return 0;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
      if (textField_) {
        RemoveTextField();
        RECT all{0, 0, Width(), Height()};
        InvalidateRect(hwnd, &all, FALSE);
        UpdateWindow(hwnd);
      }
      SetFocus(hwnd);
      SetCapture(hwnd);
      OnMouseDown(x, y, MouseMods(wParam));
      return 0;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
      ReleaseCapture();
      OnMouseUp(x, y, MouseMods(wParam));
      return 0;
    case WM_LBUTTONDBLCLK:
      if (OnMouseDoubleClick(x, y, MouseMods(wParam))) SetCapture(hwnd);
      return 0;
    case WM_MOUSEWHEEL: {
      if (textField_) {
        textState_ = kFieldCancel;
        return 0;
      }
      RECT origin;
      GetWindowRect(hwnd, &origin);
      OnMouseWheel(x - origin.left, y - origin.top, MouseMods(wParam), WheelNotches(GET_WHEEL_DELTA_WPARAM(wParam)));
      return 0;
    }
    case WM_MOUSELEAVE:
      OnMouseOut();
      return 0;
    case WM_DESTROY:
      // Destroyed from outside (with its parent): keep the count right.
      ForgetDestroyedWindow();
      break;
    default:
      break;
  }
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

// ---- Timer and painting ---------------------------------------------------------------

void IEditorWindow::OnTimer() {
  SyncWithPlugin();
  if (TextFieldStep()) return;
  IBounds dirty;
  if (!CollectDirtyBounds(&dirty)) return;
  RECT invalid{dirty.L, dirty.T, dirty.R, dirty.B};
  InvalidateRect(window_, &invalid, FALSE);
  if (textField_ && textControl_) {
    // The field covers its control: leave that area alone.
    const IBounds& covered = textControl_->Bounds();
    RECT keep{covered.L, covered.T, covered.R, covered.B};
    ValidateRect(window_, &keep);
    UpdateWindow(window_);
    textState_ = kFieldSkipped;
  } else {
    UpdateWindow(window_);
  }
}

bool IEditorWindow::PresentToScreen(const IBounds& bounds) {
  HDC source = BackingContext(BackingStore());
  if (!window_ || !source) return true;
  PAINTSTRUCT paint;
  HDC target = BeginPaint(window_, &paint);
  if (target) BitBlt(target, bounds.L, bounds.T, bounds.W(), bounds.H(), source, bounds.L, bounds.T, SRCCOPY);
  EndPaint(window_, &paint);
  return true;
}

// ---- Size and images ------------------------------------------------------------------

void IEditorWindow::ResizeEditor(int width, int height) {
  IEditorView::ResizeEditor(width, height);
  if (raster::Bitmap* store = BackingStore()) store->Resize(width, height);
  if (!window_) return;
  RECT old;
  GetWindowRect(window_, &old);
  const int dW = width - (old.right - old.left), dH = height - (old.bottom - old.top);
  // The window, then its parent and grandparent while they are plain
  // (non-MDI) child windows, grow by the same amount.
  HWND target = window_;
  for (int level = 0; level < 3 && target; ++level) {
    RECT r;
    GetWindowRect(target, &r);
    SetWindowPos(target, nullptr, 0, 0, r.right - r.left + dW, r.bottom - r.top + dH,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    const bool plainChild = (GetWindowLongPtrA(target, GWL_STYLE) & WS_CHILD) &&
                            !(GetWindowLongPtrA(target, GWL_EXSTYLE) & WS_EX_MDICHILD);
    target = plainChild ? ::GetParent(target) : nullptr;
  }
  RECT oldArea{0, 0, old.right - old.left, old.bottom - old.top};
  InvalidateRect(window_, &oldArea, FALSE);
}

void IEditorWindow::QuerySystemScale() {
  if (!window_) SetSystemScale(SystemDpiScale());
}

void IEditorWindow::ScaleChanged() {
  if (!window_) return;
  RemoveTextField();
  SetWindowPos(window_, nullptr, 0, 0, Width(), Height(), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  InvalidateRect(window_, nullptr, FALSE);
}

std::unique_ptr<raster::Bitmap> IEditorWindow::LoadPngResource(int resourceId, const char* fileName) {
  const void* data = nullptr;
  size_t size = 0;
  if (!FindPngResource(module_, resourceId, &data, &size)) return nullptr;
  return DecodePngResource(data, size, fileName);
}

int IEditorWindow::NativeScale() const {
  const int scale = DpiScaleOf(window_);
  return scale > 0 ? scale : 100;
}
