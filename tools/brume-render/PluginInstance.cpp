#include "tools/brume-render/PluginInstance.h"

#include <algorithm>
#include <cstring>

namespace {

// The host callback has no context argument of its own until the entry
// point has returned the effect record, so the instance being created or run
// is found here. The renderer hosts one instance at a time.
PluginInstance* g_current = nullptr;

constexpr char kHostProduct[] = "brume-render";
constexpr char kHostVendor[] = "Kestrel";
constexpr VstIntPtr kHostVersion = 10000;  // 1.0.0 in decimal form

}  // namespace

VstIntPtr PluginInstance::HostCallback(AEffect*, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                       float opt) {
  if (opcode == audioMasterVersion) return 2400;
  return g_current ? g_current->Answer(opcode, index, value, ptr, opt) : 0;
}

VstIntPtr PluginInstance::Answer(VstInt32 opcode, VstInt32, VstIntPtr, void* ptr, float) {
  switch (opcode) {
    case audioMasterGetTime: {
      const double beats = samplePos_ / rate_ * tempo_ / 60.0;
      timeInfo_ = VstTimeInfo{};
      timeInfo_.samplePos = samplePos_;
      timeInfo_.sampleRate = rate_;
      timeInfo_.ppqPos = beats;
      timeInfo_.tempo = tempo_;
      timeInfo_.barStartPos = static_cast<double>(static_cast<long long>(beats / 4.0)) * 4.0;
      timeInfo_.timeSigNumerator = 4;
      timeInfo_.timeSigDenominator = 4;
      timeInfo_.flags = kVstPpqPosValid | kVstTempoValid | kVstBarsValid | kVstTimeSigValid |
                        (running_ ? kVstTransportPlaying : 0);
      return reinterpret_cast<VstIntPtr>(&timeInfo_);
    }
    case audioMasterGetProductString:
      if (ptr) std::memcpy(ptr, kHostProduct, sizeof kHostProduct);
      return ptr ? 1 : 0;
    case audioMasterGetVendorString:
      if (ptr) std::memcpy(ptr, kHostVendor, sizeof kHostVendor);
      return ptr ? 1 : 0;
    case audioMasterGetVendorVersion:
      return kHostVersion;
    case audioMasterGetSampleRate:
      return rate_;
    case audioMasterGetBlockSize:
      return block_;
    case audioMasterGetCurrentProcessLevel:
      return 4;  // offline rendering
    case audioMasterProcessEvents:
      return 1;  // MIDI the plug-in sends is accepted and dropped
    default:
      return 0;
  }
}

VstIntPtr PluginInstance::Dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) {
  return effect_ ? effect_->dispatcher(effect_, opcode, index, value, ptr, opt) : 0;
}

bool PluginInstance::Load(const std::string& path, std::string& error) {
  Close();
  std::string reason;
  if (!library_.Open(path, reason)) {
    error = "cannot load plug-in '" + path + "': " + reason;
    return false;
  }
  using Entry = AEffect* (*)(audioMasterCallback);
  auto entry = reinterpret_cast<Entry>(library_.Symbol("VSTPluginMain"));
  if (!entry) entry = reinterpret_cast<Entry>(library_.Symbol("main"));
  if (!entry) {
    library_.Close();
    error = "'" + path + "' is not a VST 2.4 plug-in (it exports no VSTPluginMain)";
    return false;
  }
  g_current = this;
  AEffect* effect = entry(&PluginInstance::HostCallback);
  if (!effect) {
    g_current = nullptr;
    library_.Close();
    error = "plug-in '" + path + "' could not create an instance";
    return false;
  }
  if (effect->magic != kEffectMagic || !effect->dispatcher) {
    g_current = nullptr;
    library_.Close();  // a foreign record cannot be closed safely; drop it
    error = "'" + path + "' returned something that is not a VST 2.4 effect";
    return false;
  }
  if (effect->numOutputs < 1 || (!effect->processReplacing && !effect->processDoubleReplacing)) {
    effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
    g_current = nullptr;
    library_.Close();
    error = "plug-in '" + path + "' cannot process audio in place (no replacing callback or no outputs)";
    return false;
  }
  effect_ = effect;
  useDouble_ = (effect_->flags & effFlagsCanDoubleReplacing) && effect_->processDoubleReplacing;
  Dispatch(effOpen);
  return true;
}

int PluginInstance::ProgramCount() const { return effect_ ? effect_->numPrograms : 0; }

int PluginInstance::InputCount() const { return effect_ ? effect_->numInputs : 0; }

std::string PluginInstance::ProgramName(int index) {
  // Program names are at most 24 characters in the 2.4 interface; this
  // plug-in family writes up to 255, so the buffer is sized for that.
  char name[256] = {};
  Dispatch(effGetProgramNameIndexed, index, 0, name);
  name[sizeof name - 1] = '\0';
  return name;
}

void PluginInstance::SelectProgram(int index) {
  Dispatch(effBeginSetProgram);
  Dispatch(effSetProgram, 0, index);
  Dispatch(effEndSetProgram);
}

void PluginInstance::Start(int rate, int blockFrames, double tempo) {
  rate_ = rate;
  block_ = blockFrames;
  tempo_ = tempo;
  samplePos_ = 0.0;
  for (int c = 0; c < 2; ++c) {
    doubleIn_[c].assign(blockFrames, 0.0);
    doubleOut_[c].assign(blockFrames, 0.0);
    floatIn_[c].assign(blockFrames, 0.0f);
    floatOut_[c].assign(blockFrames, 0.0f);
  }
  // A plug-in with more than two channels gets silence on the extra inputs
  // and its extra outputs go to a buffer nobody reads.
  spareInD_.assign(blockFrames, 0.0);
  spareOutD_.assign(blockFrames, 0.0);
  spareInF_.assign(blockFrames, 0.0f);
  spareOutF_.assign(blockFrames, 0.0f);
  const std::size_t inputs = std::max(2, effect_->numInputs);
  const std::size_t outputs = std::max(2, effect_->numOutputs);
  insD_.assign(inputs, spareInD_.data());
  outsD_.assign(outputs, spareOutD_.data());
  insF_.assign(inputs, spareInF_.data());
  outsF_.assign(outputs, spareOutF_.data());
  for (int c = 0; c < 2; ++c) {
    insD_[c] = doubleIn_[c].data();
    outsD_[c] = doubleOut_[c].data();
    insF_[c] = floatIn_[c].data();
    outsF_[c] = floatOut_[c].data();
  }

  Dispatch(effSetSampleRate, 0, 0, nullptr, static_cast<float>(rate));
  Dispatch(effSetBlockSize, 0, blockFrames);
  Dispatch(effSetProcessPrecision, 0, useDouble_ ? 1 : 0);
  Dispatch(effMainsChanged, 0, 1);
  Dispatch(effStartProcess);
  running_ = true;
}

void PluginInstance::Process(const double* inL, const double* inR, double* outL, double* outR, int frames) {
  frames = std::clamp(frames, 0, block_);
  if (useDouble_) {
    std::copy(inL, inL + frames, doubleIn_[0].begin());
    std::copy(inR, inR + frames, doubleIn_[1].begin());
    effect_->processDoubleReplacing(effect_, insD_.data(), outsD_.data(), frames);
    std::copy(doubleOut_[0].begin(), doubleOut_[0].begin() + frames, outL);
    std::copy(doubleOut_[1].begin(), doubleOut_[1].begin() + frames, outR);
  } else {
    for (int i = 0; i < frames; ++i) {
      floatIn_[0][i] = static_cast<float>(inL[i]);
      floatIn_[1][i] = static_cast<float>(inR[i]);
    }
    effect_->processReplacing(effect_, insF_.data(), outsF_.data(), frames);
    std::copy(floatOut_[0].begin(), floatOut_[0].begin() + frames, outL);
    std::copy(floatOut_[1].begin(), floatOut_[1].begin() + frames, outR);
  }
  samplePos_ += frames;
}

void PluginInstance::Close() {
  if (effect_) {
    if (running_) {
      Dispatch(effStopProcess);
      Dispatch(effMainsChanged, 0, 0);
    }
    Dispatch(effClose);
    effect_ = nullptr;
  }
  running_ = false;
  if (g_current == this) g_current = nullptr;
  library_.Close();
}
