#pragma once
// A loaded plug-in library file (a shared object or DLL) and the symbols it
// exports. The platform half lives in posix/ and win32/.

#include <string>

class PluginLibrary {
 public:
  PluginLibrary() = default;
  ~PluginLibrary() { Close(); }
  PluginLibrary(const PluginLibrary&) = delete;
  PluginLibrary& operator=(const PluginLibrary&) = delete;

  // Loads the file; on failure returns false and fills `error` with the
  // system's reason.
  bool Open(const std::string& path, std::string& error);
  // Address of an exported symbol, or null.
  void* Symbol(const char* name) const;
  // Unloads the file (no-op when nothing is loaded).
  void Close();
  bool IsOpen() const { return handle_ != nullptr; }

 private:
  void* handle_ = nullptr;
};
