#include "lv2/BrumeLv2Plugin.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

#include <lv2/atom/util.h>
#include <lv2/buf-size/buf-size.h>
#include <lv2/midi/midi.h>
#include <lv2/options/options.h>
#include <lv2/time/time.h>

#include "effect/DefineParameters.h"
#include "effect/ParameterRouting.h"
#include "lv2/BrumeLv2Ids.h"

namespace {
// Limits on a host-stated maximum block length: below the lower one the
// engine would be called too often; above the upper one the scratch buffers
// stop fitting in cache and pieces cost nothing extra.
constexpr int kMinScratchFrames = 64;
constexpr int kMaxScratchFrames = 16384;

const void* FeatureData(const LV2_Feature* const* features, const char* uri) {
  for (int i = 0; features && features[i]; ++i)
    if (std::strcmp(features[i]->URI, uri) == 0) return features[i]->data;
  return nullptr;
}

}  // namespace

BrumeLv2Plugin::BrumeLv2Plugin(double sampleRate, const LV2_Feature* const* features)
    : sampleRate_(sampleRate), parameters_(kParameterCount), processor_(parameters_) {
  DefineParameters(parameters_);
  // The engine starts from the defaults, as the VST effect does; run()
  // applies whatever the control ports hold beyond them.
  for (int i = 0; i < kParameterCount; ++i) applied_[i] = parameters_.Parameter(i)->Default();
  parameters_.MarkAllChanged();
  if (auto* map = static_cast<LV2_URID_Map*>(const_cast<void*>(FeatureData(features, LV2_URID__map))))
    MapUrids(map);
  ReadOptions(features);
  processor_.Prepare(sampleRate_, scratchFrames_);
}

void BrumeLv2Plugin::MapUrids(LV2_URID_Map* map) {
  auto id = [map](const char* uri) { return map->map(map->handle, uri); };
  urids_.midiEvent = id(LV2_MIDI__MidiEvent);
  urids_.timePosition = id(LV2_TIME__Position);
  urids_.beatsPerMinute = id(LV2_TIME__beatsPerMinute);
  urids_.atomFloat = id(LV2_ATOM__Float);
  urids_.atomDouble = id(LV2_ATOM__Double);
  urids_.atomInt = id(LV2_ATOM__Int);
  urids_.atomLong = id(LV2_ATOM__Long);
  urids_.atomBlank = id(LV2_ATOM__Blank);
  urids_.atomObject = id(LV2_ATOM__Object);
  urids_.maxBlockLength = id(LV2_BUF_SIZE__maxBlockLength);
  haveUrids_ = true;
}

// The scratch buffers follow the host's maximum block length when it states
// one, so a host block is one engine call; longer blocks run in pieces.
void BrumeLv2Plugin::ReadOptions(const LV2_Feature* const* features) {
  const auto* options = static_cast<const LV2_Options_Option*>(FeatureData(features, LV2_OPTIONS__options));
  if (!options || !haveUrids_) return;
  for (const LV2_Options_Option* o = options; o->key || o->value; ++o) {
    if (o->key != urids_.maxBlockLength || o->size != sizeof(int32_t) || o->type != urids_.atomInt) continue;
    const int32_t frames = *static_cast<const int32_t*>(o->value);
    scratchFrames_ = std::clamp<int>(frames, kMinScratchFrames, kMaxScratchFrames);
  }
}

void BrumeLv2Plugin::ConnectPort(uint32_t port, void* data) {
  switch (port) {
    case brume_lv2::kAudioInLeft: audioIn_[0] = static_cast<const float*>(data); break;
    case brume_lv2::kAudioInRight: audioIn_[1] = static_cast<const float*>(data); break;
    case brume_lv2::kAudioOutLeft: audioOut_[0] = static_cast<float*>(data); break;
    case brume_lv2::kAudioOutRight: audioOut_[1] = static_cast<float*>(data); break;
    case brume_lv2::kControlIn: control_ = static_cast<const LV2_Atom_Sequence*>(data); break;
    default: {
      const int index = brume_lv2::ParameterOfPort(port);
      if (index >= 0) controlPorts_[index] = static_cast<const float*>(data);
    }
  }
}

// Settings first, then the reset, as the VST effect's processing reset does:
// the reset starts every smoother at its current target.
void BrumeLv2Plugin::Activate() { processor_.Reset(); }

int BrumeLv2Plugin::CollectControlChanges() {
  int count = 0;
  for (int i = 0; i < kParameterCount; ++i) {
    if (!controlPorts_[i] || i == kMatrixTab) continue;  // the tab only picks the editor's page
    const double value = parameters_.Parameter(i)->ClampedValueOf(*controlPorts_[i]);
    if (std::isnan(value) || value == applied_[i]) continue;
    applied_[i] = value;
    changes_[count++] = BrumeProcessor::ParameterChange{0, i, value};
  }
  return count;
}

bool BrumeLv2Plugin::IsPosition(const LV2_Atom& atom) const {
  if (atom.type != urids_.atomObject && atom.type != urids_.atomBlank) return false;
  return reinterpret_cast<const LV2_Atom_Object&>(atom).body.otype == urids_.timePosition;
}

// The tempo a time:Position carries, or 0 when it carries none.
double BrumeLv2Plugin::TempoOf(const LV2_Atom_Event& event) const {
  const LV2_Atom* bpm = nullptr;
  lv2_atom_object_get(reinterpret_cast<const LV2_Atom_Object*>(&event.body), urids_.beatsPerMinute, &bpm, 0);
  if (!bpm) return 0.0;
  const void* body = bpm + 1;
  if (bpm->type == urids_.atomFloat && bpm->size >= sizeof(float)) return *static_cast<const float*>(body);
  if (bpm->type == urids_.atomDouble && bpm->size >= sizeof(double)) return *static_cast<const double*>(body);
  if (bpm->type == urids_.atomInt && bpm->size >= sizeof(int32_t)) return *static_cast<const int32_t*>(body);
  if (bpm->type == urids_.atomLong && bpm->size >= sizeof(int64_t))
    return static_cast<double>(*static_cast<const int64_t*>(body));
  return 0.0;
}

void BrumeLv2Plugin::HandleEvent(const LV2_Atom_Event& event, uint32_t frames, BrumeProcessor::BlockEvents& events) {
  const int64_t time = std::max<int64_t>(event.time.frames, 0);
  if (event.body.type == urids_.midiEvent) {
    // MIDI stamped at or beyond the block's end has no frame to play at.
    if (event.body.size == 0 || time >= static_cast<int64_t>(frames) || events.midiCount == kMaxBlockMidi) return;
    const auto* bytes = reinterpret_cast<const uint8_t*>(&event.body + 1);
    IMidiEvent& midi = midi_[events.midiCount++];
    midi = IMidiEvent{};
    midi.offset = static_cast<int32_t>(time);
    midi.status = bytes[0];
    midi.data1 = event.body.size > 1 ? bytes[1] : 0;
    midi.data2 = event.body.size > 2 ? bytes[2] : 0;
    return;
  }
  if (!IsPosition(event.body)) return;
  const double bpm = TempoOf(event);
  if (!(std::isfinite(bpm) && bpm > 0.0)) return;
  // A tempo stamped at or beyond the block's end holds from the next block;
  // past the list's room, the latest one replaces the last entry.
  const int at = events.tempoCount < kMaxBlockTempos ? events.tempoCount++ : kMaxBlockTempos - 1;
  tempos_[at] = BrumeProcessor::TempoChange{static_cast<int>(std::min<int64_t>(time, frames)), bpm};
}

void BrumeLv2Plugin::CollectEvents(uint32_t frames, BrumeProcessor::BlockEvents& events) {
  events.midi = midi_;
  events.tempos = tempos_;
  // Without urid:map the atom port may be connected to anything (lv2apply
  // gives it a float): it is not read at all.
  const LV2_Atom_Sequence* sequence = haveUrids_ ? control_ : nullptr;
  if (!sequence) return;
  LV2_ATOM_SEQUENCE_FOREACH(sequence, event) HandleEvent(*event, frames, events);
}

void BrumeLv2Plugin::Run(uint32_t frames) {
  BrumeProcessor::BlockEvents events;
  events.changes = changes_;
  events.changeCount = CollectControlChanges();
  CollectEvents(frames, events);
  const bool audio = audioIn_[0] && audioIn_[1] && audioOut_[0] && audioOut_[1];
  // Without audio ports nothing is rendered; settings and tempo still hold.
  const int n = audio ? static_cast<int>(std::min<uint32_t>(frames, INT32_MAX)) : 0;
  if (!audio) events.midiCount = 0;
  const float* in[2] = {audioIn_[0], audioIn_[1]};
  float* out[2] = {audioOut_[0], audioOut_[1]};
  processor_.Process(in, out, n, BrumeProcessor::Output::kReplace, events);
}
