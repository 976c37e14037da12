#include "gui/win32/Win32Input.h"

#include "framework/IParameter.h"
#include "gui/win32/Win32Api.h"

namespace win32input {

int KeyCodeOf(int virtualKey) {
  switch (virtualKey) {
    case VK_SPACE: return kKeySpace;
    case VK_UP: return kKeyUp;
    case VK_DOWN: return kKeyDown;
    case VK_LEFT: return kKeyLeft;
    case VK_RIGHT: return kKeyRight;
    default: break;
  }
  if (virtualKey >= '0' && virtualKey <= '9') return kKeyDigit0 + (virtualKey - '0');
  if (virtualKey >= 'A' && virtualKey <= 'Z') return kKeyLetterA + (virtualKey - 'A');
  if (virtualKey >= 97 && virtualKey <= 122) return virtualKey - 82;
  return -1;
}

IMouseMods ModsOf(uintptr_t keyState, bool altDown) {
  IMouseMods mods;
  mods.left = (keyState & MK_LBUTTON) != 0;
  mods.right = (keyState & MK_RBUTTON) != 0;
  mods.shift = (keyState & MK_SHIFT) != 0;
  mods.control = (keyState & MK_CONTROL) != 0;
  mods.alt = altDown;
  return mods;
}

bool FieldAccepts(int parameterKind, unsigned character) {
  if (parameterKind < 0 || character == '\b') return true;
  const bool digitOrSign = (character >= '0' && character <= '9') || character == '-' || character == '+';
  switch (parameterKind) {
    case IParameter::kBool:
    case IParameter::kInt:
    case IParameter::kEnum: return digitOrSign;
    case IParameter::kDouble: return digitOrSign || character == '.';
    default: return false;
  }
}

}  // namespace win32input
