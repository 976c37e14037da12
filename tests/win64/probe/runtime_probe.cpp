// A deliberately wrong plug-in image for checking the PE table checks
// themselves: linked against the mingw runtime DLLs, exporting a stray name
// and lacking `main`. The checks must reject it.
#include <string>

extern "C" __declspec(dllexport) void* VSTPluginMain(void*) {
  static std::string name("probe");
  return &name;
}

extern "C" __declspec(dllexport) int probe_stray_export() { return 1; }
