#include "tools/loader/PluginLibrary.h"

#include <dlfcn.h>

bool PluginLibrary::Open(const std::string& path, std::string& error) {
  Close();
  // A bare file name would make dlopen search the library path instead of
  // the current folder, which is never what a user naming a plug-in means.
  std::string file = path.find('/') == std::string::npos ? "./" + path : path;
  // RTLD_LOCAL: the plug-in's symbols must not leak into other plug-ins.
  handle_ = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle_) {
    const char* reason = dlerror();
    error = reason ? reason : "unknown error";
    return false;
  }
  return true;
}

void* PluginLibrary::Symbol(const char* name) const {
  return handle_ ? dlsym(handle_, name) : nullptr;
}

void PluginLibrary::Close() {
  if (handle_) dlclose(handle_);
  handle_ = nullptr;
}
