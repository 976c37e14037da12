#pragma once
// brume_dsp.so loaded as a host loads it (dlopen, lv2_descriptor), with a
// URID map of its own and atom sequences built with the forge.
#include <dlfcn.h>
#include <lv2/atom/forge.h>
#include <lv2/core/lv2.h>
#include <lv2/urid/urid.h>

#include <string>
#include <vector>

#include "lv2/BrumeLv2Ids.h"

class UridMap {
 public:
  UridMap() : map_{this, &UridMap::Map}, feature_{LV2_URID__map, &map_} {}
  LV2_URID_Map* Map() { return &map_; }
  const LV2_Feature* Feature() const { return &feature_; }
  LV2_URID Id(const char* uri) { return Map(this, uri); }

 private:
  static LV2_URID Map(LV2_URID_Map_Handle handle, const char* uri) {
    auto& uris = static_cast<UridMap*>(handle)->uris_;
    for (size_t i = 0; i < uris.size(); ++i)
      if (uris[i] == uri) return static_cast<LV2_URID>(i + 1);
    uris.emplace_back(uri);
    return static_cast<LV2_URID>(uris.size());
  }
  std::vector<std::string> uris_;
  LV2_URID_Map map_;
  LV2_Feature feature_;
};

class DspLibrary {
 public:
  DspLibrary() : handle_(dlopen(BRUME_DSP_PATH, RTLD_NOW | RTLD_LOCAL)) {}
  ~DspLibrary() {
    if (handle_) dlclose(handle_);
  }
  const LV2_Descriptor* Descriptor() const {
    auto entry = handle_ ? reinterpret_cast<LV2_Descriptor_Function>(dlsym(handle_, "lv2_descriptor")) : nullptr;
    return entry ? entry(0) : nullptr;
  }

 private:
  void* handle_;
};

// One instance with every control port on its own float.
struct Lv2Instance {
  Lv2Instance(const LV2_Descriptor* d, double rate, const LV2_Feature* const* features) : descriptor(d) {
    handle = d->instantiate(d, rate, "", features);
    for (uint32_t p = brume_lv2::kFirstParameterPort; p < brume_lv2::kParameterPortEnd; ++p)
      d->connect_port(handle, p, &controls[p - brume_lv2::kFirstParameterPort]);
  }
  ~Lv2Instance() { descriptor->cleanup(handle); }
  void Audio(const float* inL, const float* inR, float* outL, float* outR) {
    descriptor->connect_port(handle, brume_lv2::kAudioInLeft, const_cast<float*>(inL));
    descriptor->connect_port(handle, brume_lv2::kAudioInRight, const_cast<float*>(inR));
    descriptor->connect_port(handle, brume_lv2::kAudioOutLeft, outL);
    descriptor->connect_port(handle, brume_lv2::kAudioOutRight, outR);
  }
  const LV2_Descriptor* descriptor;
  LV2_Handle handle;
  float controls[kParameterCount] = {};
};
