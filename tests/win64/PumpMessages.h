#pragma once
#include <windows.h>

// Dispatches the thread's window messages `rounds` times, 5 ms apart: the
// host's message loop, for editors that open child windows and timers.
inline void PumpMessages(int rounds) {
  MSG message;
  for (int i = 0; i < rounds; ++i) {
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
    Sleep(5);
  }
}
