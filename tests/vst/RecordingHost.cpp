#include "tests/vst/RecordingHost.h"

#include <atomic>
#include <cstring>

namespace {
std::atomic<RecordingHost*> g_active{nullptr};
}

RecordingHost::RecordingHost() {
  time.samplePos = 0.0;
  time.sampleRate = 44100.0;
  time.tempo = 120.0;
  time.timeSigNumerator = 4;
  time.timeSigDenominator = 4;
  time.flags = kVstTempoValid | kVstTimeSigValid;
  g_active.store(this);
}

RecordingHost::~RecordingHost() {
  RecordingHost* self = this;
  g_active.compare_exchange_strong(self, nullptr);
}

VstIntPtr RecordingHost::Callback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                  float opt) {
  RecordingHost* host = g_active.load();
  return host ? host->Answer(effect, opcode, index, value, ptr, opt) : 0;
}

VstIntPtr RecordingHost::Answer(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                float opt) {
  HostCall call{opcode, index, value, opt, effect, {}};
  if (opcode == audioMasterProcessEvents && ptr) {
    const auto* list = static_cast<const VstEvents*>(ptr);
    for (VstInt32 i = 0; i < list->numEvents; ++i)
      if (list->events[i]) call.events.push_back(*list->events[i]);
  }
  {
    std::lock_guard<std::mutex> lock(mutex_);
    calls_.push_back(std::move(call));
  }
  switch (opcode) {
    case audioMasterVersion:
      return 2400;
    case audioMasterGetTime:
      return answerTime ? reinterpret_cast<VstIntPtr>(&time) : 0;
    case audioMasterGetProductString:
      if (ptr) std::memcpy(ptr, product.c_str(), product.size() + 1);
      return 1;
    case audioMasterGetVendorVersion:
      return vendorVersion;
    case audioMasterProcessEvents:
      return processEventsAnswer;
    case audioMasterCanDo:
      return canSizeWindow && ptr && std::strcmp(static_cast<const char*>(ptr), "sizeWindow") == 0 ? 1 : 0;
    case audioMasterSizeWindow:
      return canSizeWindow ? 1 : 0;
    default:
      return 0;
  }
}

std::vector<HostCall> RecordingHost::Calls() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return calls_;
}

int RecordingHost::Count(VstInt32 opcode) const {
  std::lock_guard<std::mutex> lock(mutex_);
  int n = 0;
  for (const HostCall& call : calls_) n += call.opcode == opcode ? 1 : 0;
  return n;
}

std::vector<HostCall> RecordingHost::CallsOf(VstInt32 opcode) const {
  std::lock_guard<std::mutex> lock(mutex_);
  std::vector<HostCall> out;
  for (const HostCall& call : calls_)
    if (call.opcode == opcode) out.push_back(call);
  return out;
}

void RecordingHost::Clear() {
  std::lock_guard<std::mutex> lock(mutex_);
  calls_.clear();
}
