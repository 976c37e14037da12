#pragma once
#include <cstdint>

#include "effect/ParameterIds.h"

// The LV2 identity of Brume. Hosts store sessions and presets by these URIs
// and port symbols: none of them may ever change (a changed one needs a new
// plug-in URI).
namespace brume_lv2 {

constexpr const char* kPluginUri = "urn:orvendale:brume";
constexpr const char* kUiUri = "urn:orvendale:brume#ui";
// Factory preset n (1-based, two digits): kPresetUriPrefix + "01" ... "20".
constexpr const char* kPresetUriPrefix = "urn:orvendale:brume:preset:";
constexpr const char* kBundleName = "brume.lv2";
constexpr const char* kDspBinary = "brume_dsp.so";
constexpr const char* kUiBinary = "brume_ui.so";

// Port indexes: audio, the control atom input, then one control input per
// parameter in parameter-index order, each named by the parameter's
// identifier without its leading 'k' (kFilterFreq1 -> FilterFreq1), then
// the host's bypass switch (symbol "enabled", designated lv2:enabled).
enum Port : uint32_t {
  kAudioInLeft = 0,
  kAudioInRight = 1,
  kAudioOutLeft = 2,
  kAudioOutRight = 3,
  kControlIn = 4,
  kFirstParameterPort = 5,
};
constexpr uint32_t kParameterPortEnd = kFirstParameterPort + kParameterCount;
constexpr uint32_t kEnabled = kParameterPortEnd;
constexpr uint32_t kPortCount = kEnabled + 1;

constexpr uint32_t PortOfParameter(int index) { return kFirstParameterPort + static_cast<uint32_t>(index); }
// The parameter index of a control port, or -1.
constexpr int ParameterOfPort(uint32_t port) {
  return port >= kFirstParameterPort && port < kParameterPortEnd ? static_cast<int>(port - kFirstParameterPort) : -1;
}

}  // namespace brume_lv2
