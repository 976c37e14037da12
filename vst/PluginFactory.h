#pragma once
// The steps of the plug-in entry point for any effect built on IVstBinding:
// construction under the process-wide creation lock, the "Empty" fill of
// still unused preset slots, and at least one program for the host.
//
// Thread: any host thread; concurrent calls construct one after the other.

#include "vst/IVstBinding.h"
#include "vst/VstAbi.h"

using PluginConstructor = IVstBinding* (*)(audioMasterCallback host);

// The effect record of a new instance, or null when none could be made.
AEffect* CreatePluginInstance(PluginConstructor construct, audioMasterCallback host);

// Defined by the plug-in library that links the entry points
// (kestrel_vst_entry): constructs its one effect for `host`.
IVstBinding* ConstructPluginEffect(audioMasterCallback host);
