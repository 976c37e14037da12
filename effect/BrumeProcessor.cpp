#include "effect/BrumeProcessor.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <type_traits>

#include "effect/ParameterIds.h"
#include "effect/ParameterRouting.h"
#include "engine/DenormalGuard.h"
#include "framework/SampleRateRange.h"

namespace {
template <typename Sample>
double FiniteOrZero(Sample v) {
  return std::isfinite(v) ? static_cast<double>(v) : 0.0;
}
// A sample no float can hold (NaN, infinite, or beyond the float range,
// which a runaway loop reaches within a block: the soft clip curve does not
// bound it) leaves as silence; true when there was one.
bool SilenceRunaway(double* samples, int frames) {
  constexpr double kLargest = std::numeric_limits<float>::max();
  bool found = false;
  for (int s = 0; s < frames; ++s) {
    if (!(std::fabs(samples[s]) <= kLargest)) {
      samples[s] = 0.0;
      found = true;
    }
  }
  return found;
}

bool AllFinite(const double* samples, int frames) {
  // A NaN or infinity has every exponent bit set; integer tests vectorise.
  constexpr uint64_t kExponent = 0x7FF0000000000000ull;
  uint64_t nonFinite = 0;
  for (int s = 0; s < frames; ++s) {
    uint64_t bits;
    std::memcpy(&bits, &samples[s], sizeof bits);
    nonFinite |= (bits & kExponent) == kExponent;
  }
  return nonFinite == 0;
}
}  // namespace

BrumeProcessor::BrumeProcessor(IParameterStore& parameters)
    : parameters_(parameters),
      engine_(std::make_unique<Engine>()),
      events_(kMaxBlockEvents),
      queue_(kMidiCapacity),
      inbox_(kMidiCapacity),
      held_(static_cast<size_t>(parameters.Count()), 0.0),
      heldSet_(static_cast<size_t>(parameters.Count()), 0) {
  // The engine keeps its construction state (44.1 kHz) until Prepare.
  for (std::vector<double>& buffer : scratch_) buffer.assign(kDefaultMaxBlock, 0.0);
  maxBlock_ = kDefaultMaxBlock;
  SetFadeFrames(engine_->SampleRate());
  fadePos_ = fadeFrames_;
}

void BrumeProcessor::SetFadeFrames(double sampleRate) {
  fadeFrames_ = std::max(1, static_cast<int>(kFadeSeconds * sampleRate));
}

bool BrumeProcessor::Prepare(double sampleRate, int maxBlockFrames) {
  if (!IsSupportedSampleRate(sampleRate) || maxBlockFrames <= 0) return false;
  if (maxBlockFrames != maxBlock_) {
    for (std::vector<double>& buffer : scratch_) buffer.assign(static_cast<size_t>(maxBlockFrames), 0.0);
    maxBlock_ = maxBlockFrames;
  }
  ApplyParameterChanges();
  engine_->Reset(sampleRate);
  SetFadeFrames(sampleRate);
  Restart();
  return true;
}

void BrumeProcessor::Reset() {
  // Settings first: the reset starts every smoother at its current target.
  ApplyParameterChanges();
  engine_->Reset(engine_->SampleRate());
  Restart();
}

void BrumeProcessor::ClearHistory() {
  ApplyParameterChanges();
  engine_->ClearHistory();
  inbox_.Clear();
  queue_.Clear();
  Restart();
}

void BrumeProcessor::Restart() {
  played_ = false;
  fadePos_ = FadeTarget();
}

void BrumeProcessor::ApplyParameterChanges() {
  if (holding_) ReleaseHeld();
  TakeStoreChanges(false);
}

void BrumeProcessor::TakeStoreChanges(bool holdWholeSets) {
  const uint32_t generation = parameters_.SetGeneration();
  if (!parameters_.EngineChangesPending()) {
    // A set written without raising the engine's flags (the adapter plays
    // its values as events) is not one to wait for later.
    if ((generation & 1u) == 0) takenGeneration_ = generation;
    return;
  }
  if (holdWholeSets && generation != takenGeneration_) BeginHold();
  if (parameters_.TakeEngineChanges([this](int index, double value) { Change(index, value); }))
    takenGeneration_ = generation;
}

void BrumeProcessor::Change(int index, double value) {
  if (index < 0 || index >= static_cast<int>(held_.size())) return;
  if (holding_) {
    held_[static_cast<size_t>(index)] = value;
    heldSet_[static_cast<size_t>(index)] = 1;
  } else {
    ApplyParameterChange(*engine_, index, value);
  }
}

void BrumeProcessor::BeginHold() {
  // Nothing to fade: nothing has played yet, or the output is the input
  // already (bypassed), where the engine may change as it likes.
  if (!played_ || fadePos_ == 0) return;
  holding_ = true;
}

void BrumeProcessor::ReleaseHeld() {
  holding_ = false;
  for (size_t i = 0; i < held_.size(); ++i) {
    if (!heldSet_[i]) continue;
    heldSet_[i] = 0;
    ApplyParameterChange(*engine_, static_cast<int>(i), held_[i]);
  }
  // The output is the input now: the new settings may jump.
  engine_->Settle();
}

void BrumeProcessor::ApplyChange(int index, double value) {
  const IParameter* parameter = parameters_.Parameter(index);
  if (!parameter) return;
  value = parameter->ClampedValueOf(value);
  if (!std::isnan(value)) Change(index, value);
}

void BrumeProcessor::SetTempo(double bpm) {
  // A tempo the delays cannot use (negative, NaN, infinite) keeps the last.
  if (std::isfinite(bpm) && bpm > 0.0) tempo_ = bpm;
}

void BrumeProcessor::Process(const float* const* inputs, float* const* outputs, int frames, Output mode) {
  Run(inputs, outputs, frames, mode);
}

void BrumeProcessor::Process(const double* const* inputs, double* const* outputs, int frames) {
  Run(inputs, outputs, frames, Output::kReplace);
}

void BrumeProcessor::GatherEvents(int frames) {
  // Posted MIDI is stamped from this block's start, as the host's own.
  inbox_.Drain([this](const IMidiEvent& m) { events_.AddMidi(m.offset, m.status, m.data1, m.data2); });
  events_.Sort();
  events_.LimitOffsets(std::max(frames - 1, 0));
}

void BrumeProcessor::Play(const BlockEvent& event) {
  switch (event.kind) {
    case BlockEvent::Kind::kParameter: ApplyChange(event.index, event.value); break;
    case BlockEvent::Kind::kTempo: SetTempo(event.value); break;
    case BlockEvent::Kind::kBypass: bypassed_ = event.value >= 0.5; break;
    case BlockEvent::Kind::kWholeSet: BeginHold(); break;
    case BlockEvent::Kind::kMidi: engine_->ApplyMidiMessage(event.Midi(0)); break;
  }
}

template <typename Sample>
void BrumeProcessor::Run(const Sample* const* inputs, Sample* const* outputs, int frames, Output mode) {
  // For the whole call: converting subnormal float input gives the same
  // zeros whatever the piece.
  DenormalGuard denormals;
  TakeStoreChanges(true);
  if (frames < 0) frames = 0;
  GatherEvents(frames);
  const int count = events_.Count();
  int next = 0;
  if (frames == 0) {
    // No frame to play at: everything holds from now on, and MIDI reaches
    // the modulators all the same.
    for (; next < count; ++next) Play(events_[next]);
    events_.Clear();
    return;
  }

  // Pieces end at the scratch size, at every timed event other than MIDI
  // (which the engine takes at its own frame), and where a held set's
  // fade-out ends.
  runaway_ = false;
  for (int start = 0; start < frames;) {
    for (; next < count && events_[next].offset <= start; ++next) {
      if (events_[next].kind == BlockEvent::Kind::kMidi)
        queue_.Add(events_[next].Midi(0));
      else
        Play(events_[next]);
    }
    int end = std::min(frames, start + maxBlock_);
    if (holding_) end = std::min(end, start + fadePos_);
    for (; next < count && events_[next].offset < end; ++next) {
      if (events_[next].kind != BlockEvent::Kind::kMidi) {
        end = events_[next].offset;
        break;
      }
      queue_.Add(events_[next].Midi(events_[next].offset - start));
    }
    if (!played_) fadePos_ = FadeTarget();  // nothing sounds yet to fade from
    if (end > start) {
      RenderPiece(inputs, outputs, start, end - start, mode);
      played_ = true;
    }
    if (holding_ && fadePos_ == 0) ReleaseHeld();
    start = end;
  }
  events_.Clear();
  // An extreme routing loop can make the engine run away: its output left
  // as silence, and it starts afresh at the rate it already has, so nothing
  // is reallocated here.
  if (runaway_) engine_->Reset(engine_->SampleRate());
}

void BrumeProcessor::Fade(const double* const* in, double* const* out, int frames) {
  const int target = FadeTarget();
  const double step = 1.0 / fadeFrames_;
  int position = fadePos_;
  for (int s = 0; s < frames; ++s) {
    position += (position < target) - (position > target);
    if (position == fadeFrames_) continue;  // the engine alone, as it rendered
    const double share = position * step;
    for (int c = 0; c < 2; ++c)
      out[c][s] = position == 0 ? in[c][s] : share * out[c][s] + (1.0 - share) * in[c][s];
  }
  fadePos_ = position;
}

template <typename Sample>
void BrumeProcessor::RenderPiece(const Sample* const* inputs, Sample* const* outputs, int start, int frames,
                                 Output mode) {
  const double* in[2];
  double* out[2];
  // While the output fades, the engine's input is kept for the mix: in
  // place, it is copied before the engine overwrites it.
  const bool fading = fadePos_ != fadeFrames_ || FadeTarget() != fadeFrames_;
  for (int c = 0; c < 2; ++c) {
    const Sample* source = inputs ? inputs[c] : nullptr;
    Sample* destination = outputs ? outputs[c] : nullptr;
    double* inScratch = scratch_[c].data();
    double* outScratch = scratch_[2 + c].data();
    if constexpr (std::is_same_v<Sample, double>) {
      // In place in the host's buffers; a missing one reads silence or
      // writes into scratch.
      // Read in place unless the fade needs the input after the engine has
      // written over it, or it holds a NaN or infinity (read as 0).
      if (source && !(fading && destination == source) && AllFinite(source + start, frames)) {
        in[c] = source + start;
      } else if (source) {
        for (int s = 0; s < frames; ++s) inScratch[s] = FiniteOrZero(source[start + s]);
        in[c] = inScratch;
      } else {
        std::fill(inScratch, inScratch + frames, 0.0);
        in[c] = inScratch;
      }
      out[c] = destination ? destination + start : outScratch;
    } else {
      for (int s = 0; s < frames; ++s) inScratch[s] = source ? FiniteOrZero(source[start + s]) : 0.0;
      in[c] = inScratch;
      out[c] = outScratch;
    }
  }
  engine_->Process(in, out, frames, tempo_, queue_);
  if (fading) Fade(in, out, frames);
  for (int c = 0; c < 2; ++c) runaway_ = SilenceRunaway(out[c], frames) || runaway_;
  if constexpr (!std::is_same_v<Sample, double>) {
    for (int c = 0; c < 2; ++c) {
      Sample* destination = outputs ? outputs[c] : nullptr;
      if (!destination) continue;
      const double* result = out[c];
      if (mode == Output::kAdd)
        for (int s = 0; s < frames; ++s) destination[start + s] += static_cast<Sample>(result[s]);
      else
        for (int s = 0; s < frames; ++s) destination[start + s] = static_cast<Sample>(result[s]);
    }
  }
}
