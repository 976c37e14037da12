#include "lv2/BrumeLv2Plugin.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include <lv2/buf-size/buf-size.h>
#include <lv2/options/options.h>

#include "effect/DefineParameters.h"
#include "effect/ParameterRouting.h"
#include "engine/DenormalGuard.h"
#include "framework/NonFiniteSamples.h"
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
    : sampleRate_(sampleRate), parameters_(kParameterCount), midi_(kMidiQueueSize) {
  DefineParameters(parameters_);
  engine_ = std::make_unique<Engine>();
  // The engine starts from the defaults, as the VST effect does; run()
  // applies whatever the control ports hold beyond them.
  for (int i = 0; i < kParameterCount; ++i) {
    applied_[i] = parameters_.Parameter(i)->Default();
    if (i != kMatrixTab) ApplyParameterChange(*engine_, i, applied_[i]);
  }
  engine_->Reset(sampleRate_);
  if (auto* map = static_cast<LV2_URID_Map*>(const_cast<void*>(FeatureData(features, LV2_URID__map))))
    MapUrids(map);
  ReadOptions(features);
  for (std::vector<double>& buffer : scratch_) buffer.assign(static_cast<size_t>(scratchFrames_), 0.0);
}

void BrumeLv2Plugin::MapUrids(LV2_URID_Map* map) {
  urids_.control = MapControlUrids(map);
  urids_.atomInt = urids_.control.atomInt;
  urids_.maxBlockLength = map->map(map->handle, LV2_BUF_SIZE__maxBlockLength);
  haveUrids_ = true;
}

// The scratch buffers follow the host's maximum block length when it states
// one, so a host block is one engine call; longer blocks run in pieces.
void BrumeLv2Plugin::ReadOptions(const LV2_Feature* const* features) {
  const auto* options = static_cast<const LV2_Options_Option*>(FeatureData(features, LV2_OPTIONS__options));
  if (!options || !haveUrids_) return;
  for (const LV2_Options_Option* o = options; o->key || o->value; ++o) {
    if (o->key != urids_.maxBlockLength || o->size != sizeof(int32_t) || o->type != urids_.atomInt || !o->value)
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
    default: {
      const int index = brume_lv2::ParameterOfPort(port);
      if (index >= 0) controlPorts_[index] = static_cast<const float*>(data);
    }
  }
}

// LV2 wants everything that depends on what was played forgotten here
// (the VST plug-in's resume keeps its echoes on purpose).
void BrumeLv2Plugin::Activate() {
  engine_->ClearHistory();
  midi_.Clear();
}

void BrumeLv2Plugin::ApplyControlChanges() {
  for (int i = 0; i < kParameterCount; ++i) {
    if (!controlPorts_[i] || i == kMatrixTab) continue;  // the tab only picks the editor's page
    const double value = parameters_.Parameter(i)->ClampedValueOf(*controlPorts_[i]);
    if (std::isnan(value) || value == applied_[i]) continue;
    applied_[i] = value;
    ApplyParameterChange(*engine_, i, value);
  }
}

void BrumeLv2Plugin::HandleEvent(const ControlEvent& event, uint32_t pieceStart) {
  if (event.kind == ControlEvent::kTempo) {
    tempo_ = event.tempo;
    return;
  }
  IMidiEvent midi;
  const int64_t offset = event.frames - static_cast<int64_t>(pieceStart);
  midi.offset = static_cast<int32_t>(std::max<int64_t>(offset, 0));
  midi.status = event.status;
  midi.data1 = event.data1;
  midi.data2 = event.data2;
  midi_.Add(midi);
}

void BrumeLv2Plugin::RenderPiece(uint32_t start, uint32_t frames) {
  const size_t n = frames;
  for (int c = 0; c < 2; ++c)
    for (size_t s = 0; s < n; ++s) scratch_[c][s] = audioIn_[c][start + s];
  const double* in[2] = {scratch_[0].data(), scratch_[1].data()};
  double* out[2] = {scratch_[2].data(), scratch_[3].data()};
  engine_->Process(in, out, static_cast<int>(frames), tempo_, midi_);
  for (int c = 0; c < 2; ++c)
    for (size_t s = 0; s < n; ++s) audioOut_[c][start + s] = static_cast<float>(scratch_[2 + c][s]);
}

void BrumeLv2Plugin::Run(uint32_t frames) {
  // For the whole call, as the VST binding does: the float-to-double
  // conversion of subnormal input then gives the same zeros.
  DenormalGuard denormals;
  ApplyControlChanges();
  // Without urid:map the atom port may be connected to anything (lv2apply
  // gives it a float): it is not read at all. With it, only a frame-timed
  // sequence is read, and only within its bounds; unconnected, the tempo
  // stays the last one received (120 BPM until then).
  ControlSequence events(haveUrids_ ? control_ : nullptr, urids_.control);
  const bool audio = audioIn_[0] && audioIn_[1] && audioOut_[0] && audioOut_[1];

  // Pieces end at the scratch size and at every tempo change, so a tempo
  // takes effect at its own frame; MIDI offsets are relative to the piece.
  uint32_t start = 0;
  do {
    uint32_t end = std::min<uint32_t>(frames, start + static_cast<uint32_t>(scratchFrames_));
    for (; !events.AtEnd(); events.Advance()) {
      const ControlEvent& event = events.Current();
      if (event.frames >= static_cast<int64_t>(end)) break;  // a later piece's
      if (event.frames > static_cast<int64_t>(start) && event.kind == ControlEvent::kTempo) {
        end = static_cast<uint32_t>(event.frames);
        break;
      }
      HandleEvent(event, start);
    }
    if (audio && end > start) RenderPiece(start, end - start);
    start = end;
  } while (start < frames);
  // Events stamped at or beyond the block's end: a tempo holds from the next
  // block on; MIDI that late has no frame to play at.
  for (; !events.AtEnd(); events.Advance())
    if (events.Current().kind == ControlEvent::kTempo) HandleEvent(events.Current(), start);

  if (!audio) {
    midi_.Clear();  // no engine call consumed them
    return;
  }
  // A NaN or infinity would spread through the host's mix: such samples
  // leave as silence and the engine starts afresh.
  bool runaway = SilenceNonFinite(audioOut_[0], frames);
  runaway = SilenceNonFinite(audioOut_[1], frames) || runaway;
  if (runaway) engine_->Reset(sampleRate_);
}
