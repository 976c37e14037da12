// The library's one export, lv2_descriptor, and the C callbacks of the
// descriptor, each a thin call into BrumeLv2Plugin.
#include <lv2/core/lv2.h>

#include <new>

#include "framework/SampleRateRange.h"
#include "lv2/BrumeLv2Ids.h"
#include "lv2/BrumeLv2Plugin.h"

namespace {

BrumeLv2Plugin* Self(LV2_Handle handle) { return static_cast<BrumeLv2Plugin*>(handle); }

LV2_Handle Instantiate(const LV2_Descriptor*, double rate, const char*, const LV2_Feature* const* features) {
  // A rate the engine does not run at (the VST plug-in refuses it too) gets
  // no instance rather than one that plays at another rate.
  if (!IsSupportedSampleRate(rate)) return nullptr;
  // The engine's delay lines are allocated here; a host gets null, not an
  // exception, when memory runs out.
  try {
    return new BrumeLv2Plugin(rate, features);
  } catch (...) {
    return nullptr;
  }
}

void ConnectPort(LV2_Handle handle, uint32_t port, void* data) { Self(handle)->ConnectPort(port, data); }
void Activate(LV2_Handle handle) { Self(handle)->Activate(); }
void Run(LV2_Handle handle, uint32_t frames) { Self(handle)->Run(frames); }
void Deactivate(LV2_Handle) {}
void Cleanup(LV2_Handle handle) { delete Self(handle); }
const void* ExtensionData(const char*) { return nullptr; }

const LV2_Descriptor kDescriptor = {brume_lv2::kPluginUri, Instantiate, ConnectPort, Activate,
                                    Run, Deactivate, Cleanup, ExtensionData};

}  // namespace

extern "C" LV2_SYMBOL_EXPORT const LV2_Descriptor* lv2_descriptor(uint32_t index) {
  return index == 0 ? &kDescriptor : nullptr;
}
