#include "gui/x11/X11Keys.h"

#include <X11/keysym.h>

#include "gui/IGraphicsTypes.h"

namespace {
// The VST 2.4 virtual key codes the editor reads.
enum VstVirtualKey : int {
  kVkReturn = 4,
  kVkEscape = 6,
  kVkSpace = 7,
  kVkLeft = 11,
  kVkUp = 12,
  kVkRight = 13,
  kVkDown = 14,
  kVkEnter = 19,
};
}  // namespace

int KeyCodeFromHostKey(int character, int virtualKey) {
  switch (virtualKey) {
    case kVkSpace: return kKeySpace;
    case kVkUp: return kKeyUp;
    case kVkDown: return kKeyDown;
    case kVkLeft: return kKeyLeft;
    case kVkRight: return kKeyRight;
    case 0: break;
    default: return -1;  // other named keys have no code
  }
  if (character == ' ') return kKeySpace;
  if (character >= '0' && character <= '9') return kKeyDigit0 + (character - '0');
  if (character >= 'a' && character <= 'z') return kKeyLetterA + (character - 'a');
  if (character >= 'A' && character <= 'Z') return kKeyLetterA + (character - 'A');
  return -1;
}

MenuKey MenuKeyFromHostKey(int virtualKey) {
  switch (virtualKey) {
    case kVkEscape: return MenuKey::kClose;
    case kVkUp: return MenuKey::kUp;
    case kVkDown: return MenuKey::kDown;
    case kVkReturn:
    case kVkEnter: return MenuKey::kChoose;
    default: return MenuKey::kNone;
  }
}

MenuKey MenuKeyFromKeysym(unsigned long keysym) {
  switch (keysym) {
    case XK_Escape: return MenuKey::kClose;
    case XK_Up:
    case XK_KP_Up: return MenuKey::kUp;
    case XK_Down:
    case XK_KP_Down: return MenuKey::kDown;
    case XK_Return:
    case XK_KP_Enter: return MenuKey::kChoose;
    default: return MenuKey::kNone;
  }
}
