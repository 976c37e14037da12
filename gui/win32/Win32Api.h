#pragma once
// <windows.h> for the window layer. Its ANSI/Unicode name macros would
// rename the view's DrawText and LoadImage members in these files only, so
// they are taken back; the A functions are called by name.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#undef DrawText
#undef LoadImage
