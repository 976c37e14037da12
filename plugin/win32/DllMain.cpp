// Load hook of the Windows plug-in: records the module instance handle for
// the editor (images, window class) and accepts every notification.
#include <windows.h>

#include "gui/ModuleHandle.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) SetPluginModuleHandle(instance);
  return TRUE;
}
