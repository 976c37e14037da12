// The exported entry points of the Brume plug-in: VSTPluginMain, and the
// same function under the older name main (hosts from before VST 2.4 look
// for that one). Everything else in the library stays hidden (the export
// list is posix/exports.map and win32/Brume.def).
#include "effect/Kestrel.h"
#include "vst/PluginFactory.h"

namespace {
IVstBinding* ConstructKestrel(audioMasterCallback host) { return new Kestrel(host); }
}  // namespace

extern "C" AEffect* VSTPluginMain(audioMasterCallback host) {
  return CreatePluginInstance(&ConstructKestrel, host);
}

// C++ reserves the name main for the program's own entry, so the second
// export is given its symbol name through an assembler label.
extern "C" AEffect* VstLegacyMain(audioMasterCallback host) __asm__("main");
extern "C" AEffect* VstLegacyMain(audioMasterCallback host) { return VSTPluginMain(host); }
