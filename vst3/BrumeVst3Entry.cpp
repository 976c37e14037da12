// The module's exported entry points: the factory on every platform, and
// the load and unload calls Linux hosts require (Windows hosts may call
// theirs). Loading keeps no state of its own, so the calls only count.
#include <atomic>

#include "vst3/BrumeVst3Factory.h"

#ifdef _WIN32
#define BRUME_VST3_EXPORT extern "C" __declspec(dllexport)
#else
#define BRUME_VST3_EXPORT extern "C" __attribute__((visibility("default")))
#endif

namespace {
std::atomic<int> loads{0};
}

BRUME_VST3_EXPORT vst3::IPluginFactory* VST3_API GetPluginFactory() { return brume_vst3::AcquireFactory(); }

#ifdef _WIN32
BRUME_VST3_EXPORT bool InitDll() {
  ++loads;
  return true;
}
BRUME_VST3_EXPORT bool ExitDll() { return --loads >= 0; }
#else
BRUME_VST3_EXPORT bool ModuleEntry(void*) {
  ++loads;
  return true;
}
BRUME_VST3_EXPORT bool ModuleExit() { return --loads >= 0; }
#endif
