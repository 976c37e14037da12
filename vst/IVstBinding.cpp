// Construction of the binding and the effect record, and the requests the
// plug-in makes to the host.
#include "vst/IVstBinding.h"

#include <climits>
#include <cmath>
#include <cstring>

#include "framework/IHostId.h"
#include "framework/ITrace.h"
#include "gui/IEmbeddedWindow.h"

namespace {

// Speaker arrangement type for a channel count.
VstInt32 ArrangementType(int channels) {
  switch (channels) {
    case 0: return kSpeakerArrEmpty;
    case 1: return kSpeakerArrMono;
    case 2: return kSpeakerArrStereo;
    default: return kSpeakerArrUserDefined;
  }
}

constexpr int kInitialBlockFrames = 1024;
constexpr VstIntPtr kTransportFlags =
    kVstPpqPosValid | kVstTempoValid | kVstBarsValid | kVstCyclePosValid | kVstTimeSigValid;

}  // namespace

IVstBinding::IVstBinding(audioMasterCallback host, int parameterCount, const char* channelConfiguration,
                         int presetCount, const char* effectName, const char* productName, const char* makerName,
                         int version, int32_t uniqueId, int32_t makerId, int latency, bool doesMidi,
                         bool usesStateChunks, bool isInstrument)
    : IEffectBase(parameterCount, channelConfiguration, presetCount, effectName, productName, makerName, version,
                  uniqueId, makerId, latency, doesMidi, usesStateChunks, isInstrument),
      host_(host),
      doesMidi_(doesMidi) {
  TracePoint("IVstBinding::IVstBinding", __LINE__, "%s", EffectName());

  std::memset(&effect_, 0, sizeof effect_);
  effect_.object = this;
  effect_.magic = kEffectMagic;
  effect_.dispatcher = &IVstBinding::VSTDispatcher;
  effect_.process = &IVstBinding::VSTProcess;
  effect_.setParameter = &IVstBinding::VSTSetParameter;
  effect_.getParameter = &IVstBinding::VSTGetParameter;
  effect_.processReplacing = &IVstBinding::VSTProcessReplacing;
  effect_.processDoubleReplacing = &IVstBinding::VSTProcessDoubleReplacing;
  effect_.numPrograms = PresetCount();
  effect_.numParams = ParameterCount();
  effect_.numInputs = InputChannelCount();
  effect_.numOutputs = OutputChannelCount();
  effect_.uniqueID = uniqueId;
  effect_.version = VersionNumber(true);
  effect_.ioRatio = 1.0f;
  effect_.initialDelay = latency;

  effect_.flags = effFlagsCanReplacing | effFlagsCanDoubleReplacing;
  if (usesStateChunks) effect_.flags |= effFlagsProgramChunks;
  if (LegalIO(1, -1)) effect_.flags |= effFlagsCanMonoDeprecated;
  if (isInstrument) effect_.flags |= effFlagsIsSynth;

  inputArrangement_.numChannels = InputChannelCount();
  inputArrangement_.type = ArrangementType(InputChannelCount());
  outputArrangement_.numChannels = OutputChannelCount();
  outputArrangement_.type = ArrangementType(OutputChannelCount());

  ConnectInputs(0, InputChannelCount(), true);
  ConnectOutputs(0, OutputChannelCount(), true);
  SetBlockFrames(kInitialBlockFrames);
}

// The chunk buffers go with the members; the base then frees the editor,
// parameters, presets and channels.
IVstBinding::~IVstBinding() {
  // A drag still open ends while the host's end-edit can still be sent; the
  // base destroys the view once this part of the object is gone.
  if (auto* window = dynamic_cast<IEmbeddedWindow*>(EditorView())) window->CloseWindow();
}

IVstBinding* IVstBinding::FromEffect(AEffect* effect) {
  return effect ? static_cast<IVstBinding*>(effect->object) : nullptr;
}

VstIntPtr IVstBinding::CallHost(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) {
  return host_ ? host_(&effect_, opcode, index, value, ptr, opt) : 0;
}

// ---- Automation, gestures, display ------------------------------------------

void IVstBinding::HostParameterChanged(int index, double normalised) {
  // Reached through the editor's SetParameterFromGUI: an edit by the user.
  editedSinceLoad_ = true;
  CallHost(audioMasterAutomate, index, 0, nullptr, static_cast<float>(normalised));
}

void IVstBinding::HostBeginGesture(int index) { CallHost(audioMasterBeginEdit, index, 0, nullptr, 0.0f); }

void IVstBinding::HostEndGesture(int index) { CallHost(audioMasterEndEdit, index, 0, nullptr, 0.0f); }

void IVstBinding::HostRefreshDisplay() { CallHost(audioMasterUpdateDisplay, 0, 0, nullptr, 0.0f); }

// ---- Time ---------------------------------------------------------------------

const VstTimeInfo* IVstBinding::HostTimeInfo(VstIntPtr wantedFlags) {
  return reinterpret_cast<const VstTimeInfo*>(CallHost(audioMasterGetTime, 0, wantedFlags, nullptr, 0.0f));
}

int IVstBinding::HostSamplePosition() {
  const VstTimeInfo* info = HostTimeInfo(0);
  if (!info || !(info->samplePos >= 0.0)) return 0;  // also rejects NaN
  const double rounded = info->samplePos + 0.5;
  // Positions past the int range (half a day at 48 kHz) saturate instead of
  // overflowing the conversion.
  return rounded >= static_cast<double>(INT_MAX) ? INT_MAX : static_cast<int>(rounded);
}

double IVstBinding::HostTempo() {
  if (!host_) return 0.0;
  const VstTimeInfo* info = HostTimeInfo(kVstTempoValid);
  if (!info || !(info->flags & kVstTempoValid)) return 0.0;
  // A tempo the engine cannot use (negative, NaN, infinite) counts as none.
  return info->tempo >= 0.0 && std::isfinite(info->tempo) ? info->tempo : 0.0;
}

void IVstBinding::HostTimeSignature(int* numerator, int* denominator) {
  if (numerator) *numerator = 0;
  if (denominator) *denominator = 0;
  const VstTimeInfo* info = HostTimeInfo(kVstTimeSigValid);
  if (!info || !(info->flags & kVstTimeSigValid)) return;
  if (info->timeSigNumerator < 0 || info->timeSigDenominator < 0) return;
  if (numerator) *numerator = info->timeSigNumerator;
  if (denominator) *denominator = info->timeSigDenominator;
}

void IVstBinding::HostTransport(ITransportState* record) {
  if (!record) return;
  const VstTimeInfo* info = HostTimeInfo(kTransportFlags);
  if (!info || !(info->flags & kTransportFlags)) return;
  record->samplePosition = info->samplePos;
  if ((info->flags & kVstPpqPosValid) && info->ppqPos >= 0.0) record->musicalPosition = info->ppqPos;
  if ((info->flags & kVstTempoValid) && info->tempo > 0.0) record->tempo = info->tempo;
  if ((info->flags & kVstBarsValid) && info->barStartPos >= 0.0) record->lastBarStart = info->barStartPos;
  if ((info->flags & kVstCyclePosValid) && info->cycleStartPos >= 0.0 && info->cycleEndPos >= 0.0) {
    record->cycleStart = info->cycleStartPos;
    record->cycleEnd = info->cycleEndPos;
  }
  if ((info->flags & kVstTimeSigValid) && info->timeSigNumerator > 0 && info->timeSigDenominator > 0) {
    record->numerator = info->timeSigNumerator;
    record->denominator = info->timeSigDenominator;
  }
  record->transportRunning = (info->flags & kVstTransportPlaying) != 0;
  record->loopEnabled = (info->flags & kVstTransportCycleActive) != 0;
}

// ---- Host identification ------------------------------------------------------

int IVstBinding::HostId() {
  if (StoredHostId() != kHostUnasked) return StoredHostId();
  // Product strings are at most 63 characters; the spare room and the
  // forced terminator cover hosts that write more or forget the NUL.
  char product[256] = {};
  CallHost(audioMasterGetProductString, 0, 0, product, 0.0f);
  product[sizeof product - 1] = '\0';
  int version = 0;
  if (product[0]) {
    const VstIntPtr decimal = CallHost(audioMasterGetVendorVersion, 0, 0, nullptr, 0.0f);
    version = decimal > 0 && decimal <= INT_MAX ? PackDecimalVersion(static_cast<int>(decimal)) : 0;
  }
  SetHost(product, version);
  return StoredHostId();
}

void IVstBinding::HostSpecificSetup() {
  if (hostSpecificSetupDone_) return;
  hostSpecificSetupDone_ = true;
  switch (HostId()) {
    case kHostForte:
    case kHostAudition:
    case kHostOrion:
    case kHostSawStudio:
      RestrictToStereo();
      break;
    default:
      break;
  }
  effect_.numInputs = inputArrangement_.numChannels = InputChannelCount();
  effect_.numOutputs = outputArrangement_.numChannels = OutputChannelCount();
}

// ---- MIDI out -----------------------------------------------------------------

bool IVstBinding::SendEventToHost(VstEvent* event) {
  VstEvents list{};
  list.numEvents = 1;
  list.events[0] = event;
  return CallHost(audioMasterProcessEvents, 0, 0, &list, 0.0f) == 1;
}

bool IVstBinding::SendMidiEvent(const IMidiEvent& event) {
  VstMidiEvent midi{};
  midi.type = kVstMidiType;
  midi.byteSize = sizeof(VstMidiEvent);
  midi.deltaFrames = event.offset;
  midi.midiData[0] = static_cast<char>(event.status);
  midi.midiData[1] = static_cast<char>(event.data1);
  midi.midiData[2] = static_cast<char>(event.data2);
  return SendEventToHost(reinterpret_cast<VstEvent*>(&midi));
}

bool IVstBinding::SendMidiEvents(const IMidiEvent* events, int count) {
  bool all = true;
  for (int i = 0; events && i < count; ++i) all = SendMidiEvent(events[i]) && all;
  return all;
}

void IVstBinding::SetLatencyFrames(int frames) {
  IEffectBase::SetLatencyFrames(frames);
  effect_.initialDelay = frames;
}

// ---- Editor -------------------------------------------------------------------

void IVstBinding::AttachEditor(IAttachedEditor* view) {
  if (!view) return;
  LockGuard guard(*this);
  IEffectBase::AttachEditor(view);
  effect_.flags |= effFlagsHasEditor;
  EditorSizeChanged();
}

void IVstBinding::EditorSizeChanged() {
  const IAttachedEditor* view = EditorView();
  if (!view) return;
  editorRect_.top = 0;
  editorRect_.left = 0;
  editorRect_.bottom = static_cast<int16_t>(view->Height());
  editorRect_.right = static_cast<int16_t>(view->Width());
}
