// Plug-in base: construction, lock-protected parameter changes, editor
// attachment and host identification.
#include "framework/IEffectBase.h"

#include "framework/IHostId.h"
#include "framework/ITrace.h"
#include "framework/NumberFormat.h"
#include "framework/SampleRateRange.h"

IEffectBase::IEffectBase(int parameterCount, const char* channelConfiguration, int presetCount,
                         const char* effectName, const char* productName, const char* makerName,
                         int version, int32_t uniqueId, int32_t makerId, int latency,
                         bool /*doesMidi: kept by the host binding*/, bool usesStateChunks,
                         bool isInstrument)
    : uniqueId_(uniqueId),
      makerId_(makerId),
      version_(version),
      usesStateChunks_(usesStateChunks),
      isInstrument_(isInstrument),
      latency_(latency) {
  TracePoint("IEffectBase::IEffectBase", __LINE__, "%s:%s", effectName ? effectName : "",
             TimeStamp());
  parameters_.resize(parameterCount > 0 ? static_cast<size_t>(parameterCount) : 0);
  presets_.resize(presetCount > 0 ? static_cast<size_t>(presetCount) : 0);
  CopyText(effectName_, effectName, kNameSize);
  CopyText(productName_, productName, kNameSize);
  CopyText(makerName_, makerName, kNameSize);
  ParseChannelConfiguration(channelConfiguration);
}

IEffectBase::~IEffectBase() {
  // The view goes first: its controls may still refer to the parameters.
  editorView_.reset();
  parameters_.clear();
  presets_.clear();
  inputs_.clear();
  outputs_.clear();
  channelIOs_.clear();
  inputPointers_.clear();
  outputPointers_.clear();
}

void IEffectBase::ClearProcessingState() { LockGuard guard(*this); }

void IEffectBase::ParameterChanged(int /*index*/) { LockGuard guard(*this); }

void IEffectBase::ActivationChanged(bool /*active*/) { LockGuard guard(*this); }

void IEffectBase::HandleMidiEvent(const IMidiEvent& event) { SendMidiEvent(event); }

bool IEffectBase::KeyNameFor(int /*note*/, char* name) {
  if (name) name[0] = '\0';
  return false;
}

bool IEffectBase::SaveState(IStateChunk& chunk) {
  LockGuard guard(*this);
  return IEffectBase::SerializeParams(chunk);
}

int IEffectBase::LoadState(const IStateChunk& chunk, int position) {
  LockGuard guard(*this);
  return IEffectBase::UnserializeParams(chunk, position);
}

int IEffectBase::HostId() { return hostId_; }

void IEffectBase::SetLatencyFrames(int frames) { latency_ = frames; }

int IEffectBase::VersionNumber(bool decimal) const {
  if (!decimal) return version_;
  const unsigned v = static_cast<unsigned>(version_);
  return static_cast<int>((v >> 16) * 10000 + ((v >> 8) & 0xFFu) * 100 + (v & 0xFFu));
}

bool IEffectBase::StoreSampleRate(double rate) {
  if (!IsSupportedSampleRate(rate)) return false;
  sampleRate_ = rate;
  return true;
}

IParameter* IEffectBase::Parameter(int index) {
  if (index < 0 || index >= ParameterCount()) return nullptr;
  return &parameters_[static_cast<size_t>(index)];
}

const IParameter* IEffectBase::Parameter(int index) const {
  if (index < 0 || index >= ParameterCount()) return nullptr;
  return &parameters_[static_cast<size_t>(index)];
}

void IEffectBase::SetParameterFromGUI(int index, double normalised) {
  TracePoint("IEffectBase::SetParameterFromGUI", __LINE__, "%d:%f", index, normalised);
  LockGuard guard(*this);
  IParameter* parameter = Parameter(index);
  if (!parameter) return;
  parameter->SetFromNormalised(normalised);
  HostParameterChanged(index, normalised);  // the host records it as automation
  ParameterChanged(index);
}

void IEffectBase::NotifyAllParametersChanged() {
  LockGuard guard(*this);
  RefreshBatch batch(*this);
  for (int i = 0; i < ParameterCount(); ++i) ParameterChanged(i);
}

IEffectBase::RefreshBatch::~RefreshBatch() {
  if (--base_.refreshHold_ == 0 && base_.refreshPending_) {
    base_.refreshPending_ = false;
    base_.RefreshParameterControls();
  }
}

void IEffectBase::AttachEditor(IAttachedEditor* view) {
  if (!view) return;
  LockGuard guard(*this);
  for (int i = 0; i < ParameterCount(); ++i)
    view->PushParameterToControls(i, parameters_[static_cast<size_t>(i)].Normalised(), true);
  view->PrepareDrawing();
  // A second view replaces the first; the base owns whichever is attached.
  if (editorView_.get() != view) editorView_.reset(view);
}

void IEffectBase::RefreshParameterControls() {
  if (!editorView_) return;
  if (refreshHold_ > 0) {
    refreshPending_ = true;
    return;
  }
  for (int i = 0; i < ParameterCount(); ++i)
    editorView_->PushParameterToControls(i, parameters_[static_cast<size_t>(i)].Value(), false);
}

void IEffectBase::SetHost(const char* product, int packedVersion) {
  hostId_ = LookupHostId(product);
  hostVersion_ = packedVersion;
  char versionText[32];
  FormatVersionText(packedVersion, versionText, sizeof versionText);
  TracePoint("IEffectBase::SetHost", __LINE__, "host_%sknown:%s:%s",
             hostId_ == kHostUnknown ? "un" : "", product ? product : "", versionText);
}
