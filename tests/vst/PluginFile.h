#pragma once
// The built plug-in file, loaded the way a host loads it, and its two entry
// points. The path is fixed at build time (KESTREL_PLUGIN_PATH).

#include <string>

#include "tools/loader/PluginLibrary.h"
#include "vst/VstAbi.h"

using VstEntry = AEffect* (*)(audioMasterCallback);

class PluginFile {
 public:
  explicit PluginFile(const std::string& path = KESTREL_PLUGIN_PATH) { library_.Open(path, error_); }
  bool Loaded() const { return library_.IsOpen(); }
  const std::string& Error() const { return error_; }
  VstEntry Entry(const char* name) const { return reinterpret_cast<VstEntry>(library_.Symbol(name)); }
  VstEntry Main() const { return Entry("VSTPluginMain"); }

 private:
  PluginLibrary library_;
  std::string error_;
};

// Dispatcher shorthand.
inline VstIntPtr Dispatch(AEffect* effect, VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0,
                          void* ptr = nullptr, float opt = 0.0f) {
  return effect->dispatcher(effect, opcode, index, value, ptr, opt);
}
