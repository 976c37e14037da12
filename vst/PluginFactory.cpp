#include "vst/PluginFactory.h"

#include <mutex>

namespace {

// Created on first use and destroyed when the library unloads. Recursive
// because an effect constructor may itself reach the entry (a host that
// creates a second instance from inside a callback).
std::recursive_mutex& CreationLock() {
  static std::recursive_mutex lock;
  return lock;
}

}  // namespace

AEffect* CreatePluginInstance(PluginConstructor construct, audioMasterCallback host) {
  if (!construct) return nullptr;
  std::lock_guard<std::recursive_mutex> creation(CreationLock());
  IVstBinding* plugin = nullptr;
  try {
    plugin = construct(host);
  } catch (...) {
    // Out of memory while building parameters, presets or the engine:
    // the host sees a failed load, never an exception.
    return nullptr;
  }
  if (!plugin) return nullptr;
  {
    IEffectBase::LockGuard guard(*plugin);
    plugin->FillEmptyPresets("Empty", plugin->PresetCount());
  }
  AEffect* effect = plugin->Effect();
  if (effect->numPrograms < 1) effect->numPrograms = 1;
  return effect;
}
