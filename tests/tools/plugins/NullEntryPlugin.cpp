// A plug-in whose entry point refuses to create an instance.
#include "vst/VstAbi.h"

extern "C" AEffect* VSTPluginMain(audioMasterCallback) { return nullptr; }
