#include "gui/ModuleHandle.h"

#include <atomic>

namespace {
// Written by the loader thread during load, read later by editor code on the
// host's UI thread.
std::atomic<void*> g_moduleHandle{nullptr};
}  // namespace

void SetPluginModuleHandle(void* handle) { g_moduleHandle.store(handle, std::memory_order_release); }

void* PluginModuleHandle() { return g_moduleHandle.load(std::memory_order_acquire); }
