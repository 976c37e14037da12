#pragma once
// Translation of Windows input words into the editor's terms: key codes,
// modifier records, wheel notches, window coordinates.
#include <cstdint>

#include "gui/IGraphicsTypes.h"

namespace win32input {

// The IKeyCode of a virtual key, or -1 for keys the editor does not take.
// Codes 97-122 (the number pad and F-keys) map onto the letters as well.
int KeyCodeOf(int virtualKey);

// Modifiers from a mouse message's key-state word; Alt is not in that word
// and is passed in from the key state.
IMouseMods ModsOf(uintptr_t keyState, bool altDown);

// Whole notches only: a partial notch (a delta below 120) counts as 0.
inline int WheelNotches(int delta) { return delta / 120; }

// The signed 16-bit halves of a mouse message's position word.
inline int LowSigned(intptr_t word) { return static_cast<int16_t>(word & 0xFFFF); }
inline int HighSigned(intptr_t word) { return static_cast<int16_t>((word >> 16) & 0xFFFF); }

// Whether a character may be typed into a value field for a parameter of
// this kind (-1: no parameter).
bool FieldAccepts(int parameterKind, unsigned character);

}  // namespace win32input
