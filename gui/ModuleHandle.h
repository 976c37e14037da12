#pragma once
// The instance handle of the plug-in library, recorded by its load hook
// (whatever the plug-in format). The editor uses it to find its embedded
// images and to register its window class. Null where the platform has no
// such handle (Linux) or before load.

void SetPluginModuleHandle(void* handle);
void* PluginModuleHandle();
