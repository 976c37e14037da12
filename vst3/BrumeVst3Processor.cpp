#include "vst3/BrumeVst3Processor.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <type_traits>

#include "effect/DefineParameters.h"
#include "vst3/BrumeVst3Ids.h"
#include "vst3/Vst3Parameters.h"
#include "vst3/Vst3State.h"
#include "vst3/Vst3Text.h"

namespace brume_vst3 {

using namespace vst3;

BrumeVst3Processor::BrumeVst3Processor()
    : parameters_(kParameterCount), bank_(parameters_, 0), processor_(parameters_) {
  DefineParameters(parameters_);
  // The engine starts from the defaults, as the VST 2.4 effect does.
  parameters_.MarkAllChanged();
  for (int p = 0; p < kFactoryPresetCount; ++p) FactoryProgram(parameters_, p, programs_[p]);
}

bool BrumeVst3Processor::Query(const TUID iid, void** obj) {
  return Offer<FUnknown, IComponent>(this, iid, obj) || Offer<IPluginBase, IComponent>(this, iid, obj) ||
         Offer<IComponent>(this, iid, obj) || Offer<IAudioProcessor>(this, iid, obj) ||
         Offer<IProcessContextRequirements>(this, iid, obj);
}

// Hosts may initialize and terminate more than once; nothing depends on it.
tresult BrumeVst3Processor::initialize(FUnknown*) { return kResultOk; }
tresult BrumeVst3Processor::terminate() { return kResultOk; }

tresult BrumeVst3Processor::getControllerClassId(TUID classId) {
  if (!classId) return kInvalidArgument;
  std::memcpy(classId, kControllerCid.bytes, sizeof kControllerCid.bytes);
  return kResultOk;
}

tresult BrumeVst3Processor::setIoMode(IoMode) { return kResultOk; }

// One stereo main bus each way, and one event input for notes.
int32 BrumeVst3Processor::getBusCount(MediaType type, BusDirection dir) {
  if (type == kAudio) return dir == kInput || dir == kOutput ? 1 : 0;
  if (type == kEvent) return dir == kInput ? 1 : 0;
  return 0;
}

tresult BrumeVst3Processor::getBusInfo(MediaType type, BusDirection dir, int32 index, BusInfo& bus) {
  if (index != 0 || index >= getBusCount(type, dir)) return kInvalidArgument;
  std::memset(&bus, 0, sizeof bus);
  bus.mediaType = type;
  bus.direction = dir;
  bus.channelCount = type == kAudio ? 2 : 16;
  ToUtf16(type == kEvent ? "MIDI In" : dir == kInput ? "Stereo In" : "Stereo Out", bus.name, 128);
  bus.busType = kMain;
  bus.flags = kDefaultActive;
  return kResultOk;
}

tresult BrumeVst3Processor::getRoutingInfo(RoutingInfo&, RoutingInfo&) { return kNotImplemented; }

tresult BrumeVst3Processor::activateBus(MediaType type, BusDirection dir, int32 index, TBool) {
  return index == 0 && index < getBusCount(type, dir) ? kResultOk : kInvalidArgument;
}

tresult BrumeVst3Processor::setActive(TBool state) {
  if (!state) {
    processor_.ClearHistory();
  } else if (parameters_.EngineChangesPending()) {
    // A state restored before activation is where processing starts, not
    // something the smoothers glide to.
    processor_.Reset();
  }
  return kResultOk;
}

tresult BrumeVst3Processor::setState(IBStream* state) {
  bool bypassed = false;
  if (!LoadState(state, bank_, &bypassed)) return kResultFalse;
  bypass_.Restore(bypassed);
  return kResultOk;
}

tresult BrumeVst3Processor::getState(IBStream* state) {
  return SaveState(state, bank_, bypass_.On()) ? kResultOk : kResultFalse;
}

tresult BrumeVst3Processor::setBusArrangements(SpeakerArrangement* inputs, int32 numIns, SpeakerArrangement* outputs,
                                               int32 numOuts) {
  const bool stereo = numIns == 1 && numOuts == 1 && inputs && outputs && inputs[0] == kStereo && outputs[0] == kStereo;
  return stereo ? kResultTrue : kResultFalse;
}

tresult BrumeVst3Processor::getBusArrangement(BusDirection dir, int32 index, SpeakerArrangement& arr) {
  if (index != 0 || (dir != kInput && dir != kOutput)) return kInvalidArgument;
  arr = kStereo;
  return kResultOk;
}

tresult BrumeVst3Processor::canProcessSampleSize(int32 size) {
  return size == kSample32 || size == kSample64 ? kResultTrue : kResultFalse;
}

uint32 BrumeVst3Processor::getLatencySamples() { return 0; }
uint32 BrumeVst3Processor::getTailSamples() { return kNoTail; }

uint32 BrumeVst3Processor::getProcessContextRequirements() {
  return kNeedTempo | kNeedTimeSignature | kNeedProjectTimeMusic | kNeedBarPositionMusic | kNeedTransportState;
}

tresult BrumeVst3Processor::setupProcessing(ProcessSetup& setup) {
  if (setup.symbolicSampleSize != kSample32 && setup.symbolicSampleSize != kSample64) return kResultFalse;
  const int frames = std::clamp<int32>(setup.maxSamplesPerBlock, 1, kMaxScratchFrames);
  if (!processor_.Prepare(setup.sampleRate, frames)) return kResultFalse;
  return kResultOk;
}

tresult BrumeVst3Processor::setProcessing(TBool) { return kResultOk; }

void BrumeVst3Processor::AddChange(int32_t offset, int index, double value) {
  if (!processor_.Events().AddParameter(offset, index, value)) changesDropped_ = true;
}

// A factory program is every value at once, from its offset on: one whole
// set in the store (what getState saves) and one in the block's events;
// changes the host sends for the same offset come after it and win.
void BrumeVst3Processor::LoadProgram(int32_t offset, int program) {
  programAt_ = offset;
  parameters_.SetAll(programs_[program], /*markEngine*/ false);
  processor_.Events().AddWholeSet(offset);
  for (int i = 0; i < kParameterCount; ++i) AddChange(offset, i, programs_[program][i]);
}

namespace {
uint8_t MidiByte(double normalised) {
  if (!(normalised > 0.0)) return 0;  // NaN too
  return static_cast<uint8_t>(std::min(std::floor(normalised * 127.0 + 0.5), 127.0));
}
}  // namespace

void BrumeVst3Processor::CollectChanges(IParameterChanges* changes) {
  programAt_ = -1;
  if (!changes) return;
  BlockEventList& events = processor_.Events();
  const auto take = [&](ParamID id, int32 offset, ParamValue value) {
    if (std::isnan(value)) return;
    if (id < static_cast<ParamID>(kParameterCount)) {
      IParameter& parameter = *parameters_.Parameter(static_cast<int>(id));
      const double plain = parameter.ValueOfNormalised(value);
      parameter.SetClamped(plain);  // what getState saves; the engine hears it at its offset
      AddChange(offset, static_cast<int>(id), plain);
    } else if (id == kProgramId) {
      LoadProgram(offset, StepIndex(value, kFactoryPresetCount - 1));
    } else if (id == kBypassId) {
      events.AddBypass(offset, value >= 0.5);
    } else if (id == kModWheelId) {
      events.AddMidi(offset, 0xB0, kMidiModWheel, MidiByte(value));
    }
  };
  const int32 count = std::min<int32>(changes->getParameterCount(), kMaxHostQueues);
  // Programs first: a program and a value for the same offset leave the value.
  for (int pass = 0; pass < 2; ++pass) {
    for (int32 q = 0; q < count; ++q) {
      IParamValueQueue* queue = changes->getParameterData(q);
      if (!queue) break;  // the host's list ends where it fails to give an entry
      const ParamID id = queue->getParameterId();
      if ((id == kProgramId) != (pass == 0)) continue;
      const int32 points = queue->getPointCount();
      for (int32 k = 0; k < points; ++k) {
        int32 offset = 0;
        ParamValue value = 0.0;
        if (events.Count() == events.Capacity()) {
          // No room left: the queue's last value still reaches the store
          // (and every value the engine from the next block's start).
          changesDropped_ = true;
          if (queue->getPoint(points - 1, offset, value) == kResultOk) take(id, offset, value);
          break;
        }
        if (queue->getPoint(k, offset, value) != kResultOk) break;
        take(id, offset, value);
      }
    }
  }
}

void BrumeVst3Processor::CollectEvents(IEventList* list) {
  if (!list) return;
  BlockEventList& events = processor_.Events();
  const int32 count = std::min<int32>(list->getEventCount(), kMaxHostEvents);
  for (int32 i = 0; i < count; ++i) {
    Event e;
    if (list->getEvent(i, e) != kResultOk) break;  // the list ends where the host fails
    auto channel = [](int16 c) { return static_cast<uint8_t>(c & 0x0F); };
    auto pitch = [](int16 p) { return static_cast<uint8_t>(std::clamp<int16>(p, 0, 127)); };
    switch (e.type) {
      case Event::kNoteOnEvent:
        // A note on at velocity 0 would read as a note off in MIDI.
        events.AddMidi(e.sampleOffset, 0x90 | channel(e.noteOn.channel), pitch(e.noteOn.pitch),
                       std::max<uint8_t>(MidiByte(e.noteOn.velocity), 1));
        break;
      case Event::kNoteOffEvent:
        events.AddMidi(e.sampleOffset, 0x80 | channel(e.noteOff.channel), pitch(e.noteOff.pitch),
                       MidiByte(e.noteOff.velocity));
        break;
      case Event::kPolyPressureEvent:
        events.AddMidi(e.sampleOffset, 0xA0 | channel(e.polyPressure.channel), pitch(e.polyPressure.pitch),
                       MidiByte(e.polyPressure.pressure));
        break;
      default:
        break;
    }
  }
}

double BrumeVst3Processor::Tempo(const ProcessContext* context) const {
  if (context && (context->state & ProcessContext::kTempoValid) && std::isfinite(context->tempo) &&
      context->tempo > 0.0)
    return context->tempo;
  return BrumeProcessor::kDefaultTempo;
}

namespace {
float** Channels32(AudioBusBuffers& bus) { return bus.channelBuffers32; }
double** Channels64(AudioBusBuffers& bus) { return bus.channelBuffers64; }
}  // namespace

template <typename Sample>
void BrumeVst3Processor::Render(ProcessData& data, Sample** (*channels)(AudioBusBuffers&)) {
  const Sample* in[2] = {};
  Sample* out[2] = {};
  if (data.numInputs > 0 && data.inputs && channels(data.inputs[0]))
    for (int c = 0; c < 2 && c < data.inputs[0].numChannels; ++c) in[c] = channels(data.inputs[0])[c];
  if (data.numOutputs > 0 && data.outputs && channels(data.outputs[0])) {
    for (int c = 0; c < 2 && c < data.outputs[0].numChannels; ++c) out[c] = channels(data.outputs[0])[c];
    data.outputs[0].silenceFlags = 0;
  }
  const bool audio = out[0] || out[1];
  const int frames = audio ? std::max<int32>(data.numSamples, 0) : 0;
  if constexpr (std::is_same_v<Sample, float>)
    processor_.Process(in, out, frames, BrumeProcessor::Output::kReplace);
  else
    processor_.Process(in, out, frames);
}

// A program loaded here is announced as changes of every value, so that a
// host which does not read the controller again after selecting a program
// still shows (and saves) the program's values.
void BrumeVst3Processor::ReportProgram(IParameterChanges* out, int32 frames) {
  if (programAt_ < 0 || !out) return;
  const int32 at = std::min(programAt_, frames > 0 ? frames - 1 : 0);
  for (int i = 0; i < kParameterCount; ++i) {
    const ParamID id = static_cast<ParamID>(i);
    int32 index = 0;
    if (IParamValueQueue* queue = out->addParameterData(id, index))
      queue->addPoint(at, parameters_.Parameter(i)->Normalised(), index);
  }
}

// Bypass switches, programs, changes and MIDI all go to the processor at
// their offsets; it fades around the switches and keeps the engine (and
// MIDI) running while bypassed. The tempo goes first, so that a full list
// drops a parameter point (whose value the store still has) rather than it.
tresult BrumeVst3Processor::process(ProcessData& data) {
  processor_.Events().AddTempo(0, Tempo(data.processContext));
  bypass_.PlayRestored(processor_.Events());
  CollectChanges(data.inputParameterChanges);
  CollectEvents(data.inputEvents);
  if (data.symbolicSampleSize == kSample64)
    Render<double>(data, &Channels64);
  else
    Render<float>(data, &Channels32);
  if (changesDropped_) {
    // The dropped changes' values are in the store: the next block applies
    // every value from its start.
    parameters_.MarkAllChanged();
    changesDropped_ = false;
  }
  bypass_.Note(processor_.Bypassed());  // what getState saves
  ReportProgram(data.outputParameterChanges, data.numSamples);
  return kResultOk;
}

}  // namespace brume_vst3
