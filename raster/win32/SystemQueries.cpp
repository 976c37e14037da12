#include "raster/win32/SystemQueries.h"

#include <windows.h>

namespace raster::win32 {

bool RunningUnderWine() {
  static const bool wine = [] {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Wine", 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
  }();
  return wine;
}

bool IsNtBasedSystem() {
  static const bool nt = (GetVersion() & 0x80000000u) == 0;
  return nt;
}

}  // namespace raster::win32
