#include "tools/loader/PluginLibrary.h"

#include <windows.h>

bool PluginLibrary::Open(const std::string& path, std::string& error) {
  Close();
  HMODULE module = LoadLibraryA(path.c_str());
  if (!module) {
    char text[256] = {};
    DWORD code = GetLastError();
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, text,
                   sizeof text, nullptr);
    error = text[0] ? text : "LoadLibrary failed with error " + std::to_string(code);
    while (!error.empty() && (error.back() == '\n' || error.back() == '\r')) error.pop_back();
    return false;
  }
  handle_ = module;
  return true;
}

void* PluginLibrary::Symbol(const char* name) const {
  return handle_ ? reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle_), name)) : nullptr;
}

void PluginLibrary::Close() {
  if (handle_) FreeLibrary(static_cast<HMODULE>(handle_));
  handle_ = nullptr;
}
