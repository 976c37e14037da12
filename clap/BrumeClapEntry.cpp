// The CLAP module's one export, clap_entry: the plug-in factory with
// Brume's descriptor. init and deinit may be called again and again (they
// count); get_factory answers whether or not init succeeded, since hosts
// (Qtractor) ignore init's result.
#include <cstring>
#include <mutex>
#include <new>

#include "clap/BrumeClapPlugin.h"
#include "clap/ClapAbi.h"

namespace {

constexpr const char* kPluginId = "com.orvendale.brume";  // hosts store projects by it: never change it

const char* const kFeatures[] = {"audio-effect", "multi-effects", "stereo", "filter", "delay", "distortion", nullptr};

const clap::PluginDescriptor kDescriptor = {
    clap::kVersion, kPluginId, "Brume", "Orvendale", "", "", "", BRUME_VERSION,
    "Stereo multi-effect: bit-crushers, morphing filters, tempo-synced delays, routing and modulation matrices",
    kFeatures};

std::mutex initLock;
int initCount = 0;

bool Init(const char*) {
  std::lock_guard<std::mutex> guard(initLock);
  ++initCount;
  return true;
}

void Deinit() {
  std::lock_guard<std::mutex> guard(initLock);
  if (initCount > 0) --initCount;
}

const clap::PluginFactory kFactory = {
    [](const clap::PluginFactory*) -> uint32_t { return 1; },
    [](const clap::PluginFactory*, uint32_t index) { return index == 0 ? &kDescriptor : nullptr; },
    [](const clap::PluginFactory*, const clap::Host* host, const char* pluginId) -> const clap::Plugin* {
      if (!host || !pluginId || std::strcmp(pluginId, kPluginId) != 0) return nullptr;
      // Nothing of the host is called here: that waits for the plug-in's init.
      auto* plugin = new (std::nothrow) brume_clap::BrumeClapPlugin(host, &kDescriptor);
      return plugin ? plugin->Plugin() : nullptr;
    }};

const void* GetFactory(const char* id) {
  return id && std::strcmp(id, clap::kPluginFactoryId) == 0 ? &kFactory : nullptr;
}

}  // namespace

#ifdef _WIN32
#define BRUME_CLAP_EXPORT __declspec(dllexport)
#else
#define BRUME_CLAP_EXPORT __attribute__((visibility("default")))
#endif

// A const object of C linkage, exported: declared extern, or a namespace-
// scope const would have internal linkage.
extern "C" {
BRUME_CLAP_EXPORT extern const clap::PluginEntry clap_entry;
const clap::PluginEntry clap_entry = {clap::kVersion, Init, Deinit, GetFactory};
}
