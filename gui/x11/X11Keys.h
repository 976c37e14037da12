#pragma once

// Keys of the X11 editor. The editor never takes the keyboard focus: keys
// reach it from the host (effEditKeyDown/Up, VST virtual key codes), except
// while a panel menu is open, when the window reads its own key presses.

// The IKeyCode of a host key (ASCII character plus VST virtual key code);
// -1 for keys the editor has no code for, which go back to the host.
int KeyCodeFromHostKey(int character, int virtualKey);

// What a key does to an open panel menu.
enum class MenuKey { kNone, kClose, kUp, kDown, kChoose };
MenuKey MenuKeyFromHostKey(int virtualKey);
MenuKey MenuKeyFromKeysym(unsigned long keysym);
