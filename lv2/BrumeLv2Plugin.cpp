#include "lv2/BrumeLv2Plugin.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

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
  urids_.control = MapControlUrids(map);
  urids_.maxBlockLength = map->map(map->handle, LV2_BUF_SIZE__maxBlockLength);
  haveUrids_ = true;
}

// The scratch buffers follow the host's maximum block length when it states
// one, so a host block is one engine call; longer blocks run in pieces.
void BrumeLv2Plugin::ReadOptions(const LV2_Feature* const* features) {
  const auto* options = static_cast<const LV2_Options_Option*>(FeatureData(features, LV2_OPTIONS__options));
  if (!options || !haveUrids_) return;
  for (const LV2_Options_Option* o = options; o->key || o->value; ++o) {
    if (o->key != urids_.maxBlockLength || o->size != sizeof(int32_t) || o->type != urids_.control.atomInt || !o->value)
      continue;
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
    case brume_lv2::kEnabled: enabled_ = static_cast<const float*>(data); break;
    default: {
      const int index = brume_lv2::ParameterOfPort(port);
      if (index >= 0) controlPorts_[index] = static_cast<const float*>(data);
    }
  }
}

// LV2 wants everything that depends on what was played forgotten here
// (the VST plug-in's resume keeps its echoes on purpose).
void BrumeLv2Plugin::Activate() { processor_.ClearHistory(); }

void BrumeLv2Plugin::CollectControlChanges() {
  int count = 0;
  for (int i = 0; i < kParameterCount; ++i) {
    if (!controlPorts_[i]) continue;
    const double value = parameters_.Parameter(i)->ClampedValueOf(*controlPorts_[i]);
    if (std::isnan(value) || value == applied_[i]) continue;
    applied_[i] = value;
    changed_[count++] = i;
  }
  BlockEventList& events = processor_.Events();
  // Many ports changing at once is a preset or a restored state: it fades
  // as a program change does in the other formats.
  if (count > kWholeSetPorts) events.AddWholeSet(0);
  for (int k = 0; k < count; ++k) events.AddParameter(0, changed_[k], applied_[changed_[k]]);
}

void BrumeLv2Plugin::CollectEvents() {
  BlockEventList& events = processor_.Events();
  // Without urid:map the atom port may be connected to anything (lv2apply
  // gives it a float): it is not read at all. With it, only a frame-timed
  // sequence is read, and only within its bounds; unconnected, the tempo
  // stays the last one received (120 BPM until then).
  for (ControlSequence sequence(haveUrids_ ? control_ : nullptr, urids_.control); !sequence.AtEnd();
       sequence.Advance()) {
    const ControlEvent& event = sequence.Current();
    if (event.kind == ControlEvent::kTempo)
      events.AddTempo(event.frames, event.tempo);
    else
      events.AddMidi(event.frames, event.status, event.data1, event.data2);
  }
}

void BrumeLv2Plugin::Run(uint32_t frames) {
  CollectControlChanges();
  // Unconnected, the plug-in is enabled.
  processor_.Events().AddBypass(0, enabled_ && *enabled_ < 0.5f);
  CollectEvents();
  // Without audio ports nothing is rendered; settings, tempo and MIDI still
  // reach the engine.
  const bool audio = audioIn_[0] && audioIn_[1] && audioOut_[0] && audioOut_[1];
  const int n = audio ? static_cast<int>(std::min<uint32_t>(frames, INT32_MAX)) : 0;
  const float* in[2] = {audioIn_[0], audioIn_[1]};
  float* out[2] = {audioOut_[0], audioOut_[1]};
  processor_.Process(in, out, n, BrumeProcessor::Output::kReplace);
}
