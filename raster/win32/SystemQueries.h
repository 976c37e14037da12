#pragma once

// Facts about the running Windows system, asked once per process.
namespace raster::win32 {

// True when the registry has HKEY_LOCAL_MACHINE\Software\Wine. Wine's own
// text renderer differs enough that text is drawn through the library's
// coverage path there.
bool RunningUnderWine();

// True on NT-based Windows (version number's top bit clear), where the
// wide-character text calls exist.
bool IsNtBasedSystem();

}  // namespace raster::win32
