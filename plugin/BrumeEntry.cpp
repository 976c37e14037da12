// The effect inside the Brume plug-in library. The binding's exported entry
// points (vst/PluginEntry.cpp) know no concrete effect; they construct the
// one this library supplies here.
#include "effect/Kestrel.h"
#include "vst/PluginFactory.h"

IVstBinding* ConstructPluginEffect(audioMasterCallback host) { return new Kestrel(host); }
