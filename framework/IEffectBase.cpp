// Plug-in base: construction, parameter changes from host and editor,
// editor attachment and host identification.
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
    : StoreEditorDelegate(parameters_),
      uniqueId_(uniqueId),
      makerId_(makerId),
      version_(version),
      usesStateChunks_(usesStateChunks),
      isInstrument_(isInstrument),
      latency_(latency),
      parameters_(parameterCount),
      presets_(parameters_, presetCount),
      channels_(channelConfiguration) {
  TracePoint("IEffectBase::IEffectBase", __LINE__, "%s:%s", effectName ? effectName : "",
             TimeStamp());
  CopyText(effectName_, effectName, kNameSize);
  CopyText(productName_, productName, kNameSize);
  CopyText(makerName_, makerName, kNameSize);
}

IEffectBase::~IEffectBase() {
  // The view goes first: its controls may still refer to the parameters.
  editorView_.reset();
}

void IEffectBase::ClearProcessingState() { ProcessingGuard guard(processing_); }

// Runs on the audio thread: nothing to apply in the base.
void IEffectBase::ParameterChanged(int /*index*/) {}

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
  sampleRate_.store(rate, std::memory_order_relaxed);
  return true;
}

IParameter* IEffectBase::Parameter(int index) { return parameters_.Parameter(index); }

const IParameter* IEffectBase::Parameter(int index) const { return parameters_.Parameter(index); }

void IEffectBase::SetParameterFromGUI(int index, double normalised) {
  TracePoint("IEffectBase::SetParameterFromGUI", __LINE__, "%d:%f", index, normalised);
  SetValueFromEditor(index, normalised);  // the host records it as automation
}

void IEffectBase::NotifyAllParametersChanged() { parameters_.MarkAllChanged(); }

void IEffectBase::ApplyParameterChanges() {
  parameters_.TakeEngineChanges([this](int index, double) { ParameterChanged(index); });
}

void IEffectBase::AttachEditor(IAttachedEditor* view) {
  if (!view) return;
  LockGuard guard(*this);
  for (int i = 0; i < ParameterCount(); ++i) view->PushParameterToControls(i, Parameter(i)->Normalised(), true);
  view->PrepareDrawing();
  // A second view replaces the first; the base owns whichever is attached.
  if (editorView_.get() != view) editorView_.reset(view);
}

// The editor takes every value again on its next tick, on its own thread.
void IEffectBase::RefreshParameterControls() { parameters_.MarkAllChangedForEditor(); }

void IEffectBase::SetHost(const char* product, int packedVersion) {
  hostId_ = LookupHostId(product);
  hostVersion_ = packedVersion;
  char versionText[32];
  FormatVersionText(packedVersion, versionText, sizeof versionText);
  TracePoint("IEffectBase::SetHost", __LINE__, "host_%sknown:%s:%s",
             hostId_ == kHostUnknown ? "un" : "", product ? product : "", versionText);
}
