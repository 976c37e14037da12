// A plug-in image built the default way: every function exported and no
// "main". The image check must reject it.
extern "C" void* VSTPluginMain(void*) { return nullptr; }
extern "C" int probe_stray_export() { return 1; }
