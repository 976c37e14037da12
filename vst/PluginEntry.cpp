// The exported entry points of a plug-in library built on this binding:
// VSTPluginMain, and the same function under the older name main (hosts
// from before VST 2.4 look for that one). The library names its effect by
// defining ConstructPluginEffect and keeps everything else hidden (for Brume
// the export lists are plugin/posix/exports.map and plugin/win32/Brume.def).
#include "vst/PluginFactory.h"

extern "C" AEffect* VSTPluginMain(audioMasterCallback host) {
  return CreatePluginInstance(&ConstructPluginEffect, host);
}

// C++ reserves the name main for the program's own entry, so the second
// export is given its symbol name through an assembler label.
extern "C" AEffect* VstLegacyMain(audioMasterCallback host) __asm__("main");
extern "C" AEffect* VstLegacyMain(audioMasterCallback host) { return VSTPluginMain(host); }
