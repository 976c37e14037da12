#include "lv2/BrumeLv2Plugin.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include <lv2/atom/util.h>
#include <lv2/buf-size/buf-size.h>
#include <lv2/midi/midi.h>
#include <lv2/options/options.h>
#include <lv2/time/time.h>

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
void BrumeLv2Plugin::Activate() { engine_->Reset(sampleRate_); }

void BrumeLv2Plugin::ApplyControlChanges() {
  for (int i = 0; i < kParameterCount; ++i) {
    if (!controlPorts_[i] || i == kMatrixTab) continue;  // the tab only picks the editor's page
    const double value = parameters_.Parameter(i)->ClampedValueOf(*controlPorts_[i]);
    if (std::isnan(value) || value == applied_[i]) continue;
    applied_[i] = value;
    ApplyParameterChange(*engine_, i, value);
  }
}

bool BrumeLv2Plugin::IsPosition(const LV2_Atom& atom) const {
  if (atom.type != urids_.atomObject && atom.type != urids_.atomBlank) return false;
  return reinterpret_cast<const LV2_Atom_Object&>(atom).body.otype == urids_.timePosition;
}

void BrumeLv2Plugin::HandleEvent(const LV2_Atom_Event& event, uint32_t pieceStart) {
  if (event.body.type == urids_.midiEvent) {
    const auto* bytes = reinterpret_cast<const uint8_t*>(&event.body + 1);
    if (event.body.size == 0) return;
    IMidiEvent midi;
    const int64_t offset = event.time.frames - static_cast<int64_t>(pieceStart);
    midi.offset = static_cast<int32_t>(std::max<int64_t>(offset, 0));
    midi.status = bytes[0];
    midi.data1 = event.body.size > 1 ? bytes[1] : 0;
    midi.data2 = event.body.size > 2 ? bytes[2] : 0;
    midi_.Add(midi);
    return;
  }
  if (!IsPosition(event.body)) return;
  const LV2_Atom* bpm = nullptr;
  lv2_atom_object_get(reinterpret_cast<const LV2_Atom_Object*>(&event.body), urids_.beatsPerMinute, &bpm, 0);
  if (!bpm) return;
  double tempo = 0.0;
  const void* body = bpm + 1;
  if (bpm->type == urids_.atomFloat && bpm->size >= sizeof(float)) tempo = *static_cast<const float*>(body);
  else if (bpm->type == urids_.atomDouble && bpm->size >= sizeof(double)) tempo = *static_cast<const double*>(body);
  else if (bpm->type == urids_.atomInt && bpm->size >= sizeof(int32_t)) tempo = *static_cast<const int32_t*>(body);
  else if (bpm->type == urids_.atomLong && bpm->size >= sizeof(int64_t))
    tempo = static_cast<double>(*static_cast<const int64_t*>(body));
  if (std::isfinite(tempo) && tempo > 0.0) tempo_ = tempo;
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
  // gives it a float): it is not read at all.
  const LV2_Atom_Sequence* sequence = haveUrids_ ? control_ : nullptr;
  const LV2_Atom_Event* event = sequence ? lv2_atom_sequence_begin(&sequence->body) : nullptr;
  auto more = [&] { return sequence && !lv2_atom_sequence_is_end(&sequence->body, sequence->atom.size, event); };
  const bool audio = audioIn_[0] && audioIn_[1] && audioOut_[0] && audioOut_[1];

  // Pieces end at the scratch size and at every tempo change, so a tempo
  // takes effect at its own frame; MIDI offsets are relative to the piece.
  uint32_t start = 0;
  do {
    uint32_t end = std::min<uint32_t>(frames, start + static_cast<uint32_t>(scratchFrames_));
    for (; more(); event = lv2_atom_sequence_next(event)) {
      const int64_t time = event->time.frames;
      if (time >= static_cast<int64_t>(end)) break;  // a later piece's
      if (time > static_cast<int64_t>(start) && IsPosition(event->body)) {
        end = static_cast<uint32_t>(time);
        break;
      }
      HandleEvent(*event, start);
    }
    if (audio && end > start) RenderPiece(start, end - start);
    start = end;
  } while (start < frames);
  // Events stamped at or beyond the block's end: a tempo holds from the next
  // block on; MIDI that late has no frame to play at.
  for (; more(); event = lv2_atom_sequence_next(event))
    if (IsPosition(event->body)) HandleEvent(*event, start);

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
