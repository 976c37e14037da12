// The in-place text field in which a value is typed: created over a
// control, filtered as the parameter allows, committed with Enter and
// applied from the next timer tick.
#include "framework/IParameter.h"
#include "gui/IControl.h"
#include "gui/TypedValue.h"
#include "gui/win32/IEditorWindow.h"
#include "gui/win32/Win32Input.h"

void IEditorWindow::ShowTextEntry(IControl* control, const ITextStyle& style, const IBounds& bounds,
                                  const char* initialText, const IParameter* parameter) {
  if (!control || textField_ || !window_) return;
  DWORD alignment = ES_CENTER;
  if (style.align == ITextStyle::kAlignLeft) alignment = ES_LEFT;
  if (style.align == ITextStyle::kAlignRight) alignment = ES_RIGHT;
  HWND field = CreateWindowExA(0, "EDIT", initialText ? initialText : "", WS_CHILD | WS_VISIBLE | ES_MULTILINE | alignment,
                               bounds.L, bounds.T, bounds.W() + 1, bounds.H() + 1, window_,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(kTextFieldId)), module_, nullptr);
  if (!field) return;
  textFont_ = CreateFontA(style.size, 0, 0, 0, style.style == ITextStyle::kBold ? FW_BOLD : 0,
                          style.style == ITextStyle::kItalic, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                          CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, style.face);
  if (textFont_) SendMessageA(field, WM_SETFONT, reinterpret_cast<WPARAM>(textFont_), FALSE);
  SendMessageA(field, EM_SETSEL, 0, -1);
  SendMessageA(field, EM_LIMITTEXT, static_cast<WPARAM>(control->TextEntryLimit()), 0);
  textField_ = field;
  textControl_ = control;
  textParameter_ = parameter;
  SetWindowLongPtrA(field, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  previousTextProc_ = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(field, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(TextFieldProc)));
  SetFocus(field);
}

LRESULT CALLBACK IEditorWindow::TextFieldProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<IEditorWindow*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (!self || self->textField_ != hwnd) return DefWindowProcA(hwnd, message, wParam, lParam);
  return self->HandleTextFieldMessage(hwnd, message, wParam, lParam);
}

LRESULT IEditorWindow::HandleTextFieldMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_SETFOCUS:
      textState_ = kFieldFocused;
      break;
    case WM_KILLFOCUS:
      textState_ = kFieldCancel;
      break;
    case WM_GETDLGCODE: {
      LRESULT code = CallWindowProcA(previousTextProc_, hwnd, message, wParam, lParam);
      const auto* keyMessage = reinterpret_cast<const MSG*>(lParam);
      if (!textParameter_ && keyMessage && keyMessage->message == WM_KEYDOWN && keyMessage->wParam == VK_RETURN)
        code |= DLGC_WANTALLKEYS;
      return code;
    }
    case WM_KEYDOWN:
      if (wParam == VK_RETURN) {
        textState_ = kFieldCommit;
        return 0;
      }
      break;
    case WM_CHAR:
      if (textParameter_ && !win32input::FieldAccepts(textParameter_->Kind(), static_cast<unsigned>(wParam)))
        return 0;
      break;
    case WM_COMMAND:
      if (HIWORD(wParam) == 1) {
        textState_ = kFieldCommit;
        return 0;
      }
      break;
    default:
      break;
  }
  return CallWindowProcA(previousTextProc_, hwnd, message, wParam, lParam);
}

bool IEditorWindow::TextFieldStep() {
  if (!textField_ || textState_ == kFieldIdle) return false;
  if (textState_ == kFieldCommit) {
    CommitTextField();
    return true;
  }
  if (textState_ == kFieldCancel) {
    RemoveTextField();
    return true;
  }
  textState_ = kFieldIdle;
  return true;
}

void IEditorWindow::CommitTextField() {
  char text[32] = {};
  GetWindowTextA(textField_, text, sizeof text);
  IControl* control = textControl_;
  const IParameter* parameter = textParameter_;
  RemoveTextField();
  ApplyEnteredText(*control, parameter, text);
}

void IEditorWindow::RemoveTextField() {
  if (textField_) {
    SetWindowLongPtrA(textField_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previousTextProc_));
    HWND field = textField_;
    textField_ = nullptr;
    DestroyWindow(field);
  }
  if (textFont_) DeleteObject(textFont_);
  textFont_ = nullptr;
  textControl_ = nullptr;
  textParameter_ = nullptr;
  previousTextProc_ = nullptr;
  textState_ = kFieldIdle;
}
