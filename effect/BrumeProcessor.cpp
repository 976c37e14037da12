#include "effect/BrumeProcessor.h"

#include <algorithm>
#include <cmath>
#include <type_traits>

#include "effect/ParameterIds.h"
#include "effect/ParameterRouting.h"
#include "engine/DenormalGuard.h"
#include "framework/NonFiniteSamples.h"
#include "framework/SampleRateRange.h"

BrumeProcessor::BrumeProcessor(IParameterStore& parameters)
    : parameters_(parameters),
      engine_(std::make_unique<Engine>()),
      queue_(kMidiCapacity),
      inbox_(kMidiCapacity),
      posted_(new IMidiEvent[kMidiCapacity]),
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
  postedCount_ = 0;
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
  if (holdWholeSets && generation != takenGeneration_ && parameters_.EngineChangesPending()) BeginHold();
  if (parameters_.TakeEngineChanges([this](int index, double value) { Change(index, value); }))
    takenGeneration_ = generation;
}

void BrumeProcessor::Change(int index, double value) {
  // kMatrixTab picks the editor's matrix page; the engine does not care.
  if (index == kMatrixTab || index < 0 || index >= static_cast<int>(held_.size())) return;
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

void BrumeProcessor::ApplyChange(const ParameterChange& change) {
  const IParameter* parameter = parameters_.Parameter(change.index);
  if (!parameter) return;
  const double value = parameter->ClampedValueOf(change.value);
  if (!std::isnan(value)) Change(change.index, value);
}

void BrumeProcessor::SetTempo(double bpm) {
  // A tempo the delays cannot use (negative, NaN, infinite) keeps the last.
  if (std::isfinite(bpm) && bpm > 0.0) tempo_ = bpm;
}

void BrumeProcessor::Process(const float* const* inputs, float* const* outputs, int frames, Output mode,
                             const BlockEvents& events) {
  Run(inputs, outputs, frames, mode, events);
}

void BrumeProcessor::Process(const double* const* inputs, double* const* outputs, int frames,
                             const BlockEvents& events) {
  Run(inputs, outputs, frames, Output::kReplace, events);
}

void BrumeProcessor::QueueMidi(const BlockEvents& events, int start, int end) {
  auto queue = [&](IMidiEvent event) {
    event.offset = std::max(event.offset - start, 0);
    queue_.Add(event);
  };
  for (; postedNext_ < postedCount_ && posted_[postedNext_].offset < end; ++postedNext_) queue(posted_[postedNext_]);
  for (; midiNext_ < events.midiCount && events.midi[midiNext_].offset < end; ++midiNext_) queue(events.midi[midiNext_]);
}

void BrumeProcessor::KeepPosted(const IMidiEvent& event) {
  if (postedCount_ == kMidiCapacity) return;  // over a block's worth waiting: the newest is lost
  // In offset order, arrival order kept among equal offsets.
  int at = postedCount_++;
  for (; at > 0 && posted_[at - 1].offset > event.offset; --at) posted_[at] = posted_[at - 1];
  posted_[at] = event;
}

void BrumeProcessor::KeepLateMidi(const BlockEvents& events) {
  // Stamped past this block: they wait for their frame, counted from the
  // next block's start as from this one's (hosts that stamp MIDI relative
  // to the block never send such offsets).
  int kept = 0;
  for (int i = postedNext_; i < postedCount_; ++i) posted_[kept++] = posted_[i];
  postedCount_ = kept;
  postedNext_ = 0;
  for (int i = midiNext_; i < events.midiCount; ++i) KeepPosted(events.midi[i]);
}

template <typename Sample>
void BrumeProcessor::Run(const Sample* const* inputs, Sample* const* outputs, int frames, Output mode,
                         const BlockEvents& events) {
  // For the whole call: converting subnormal float input gives the same
  // zeros whatever the piece.
  DenormalGuard denormals;
  TakeStoreChanges(true);
  SetTempo(events.tempo);
  if (frames <= 0) {
    // No frame to play at: posted MIDI waits for the next block, and the
    // block's changes hold from then on.
    if (events.wholeSetAt >= 0) BeginHold();
    for (int i = 0; i < events.changeCount; ++i) ApplyChange(events.changes[i]);
    for (int i = 0; i < events.tempoCount; ++i) SetTempo(events.tempos[i].bpm);
    for (int i = 0; i < events.bypassCount; ++i) bypassed_ = events.bypasses[i].on;
    return;
  }
  postedNext_ = midiNext_ = 0;
  inbox_.Drain([this](const IMidiEvent& event) { KeepPosted(event); });

  // Pieces end at the scratch size, at every timed change, so a change
  // takes effect at its own frame, and where a held set's fade-out ends.
  int change = 0, tempo = 0, bypass = 0;
  bool setBegun = events.wholeSetAt < 0;
  for (int start = 0; start < frames;) {
    for (; bypass < events.bypassCount && events.bypasses[bypass].offset <= start; ++bypass)
      bypassed_ = events.bypasses[bypass].on;
    if (!setBegun && events.wholeSetAt <= start) {
      setBegun = true;
      BeginHold();
    }
    for (; change < events.changeCount && events.changes[change].offset <= start; ++change)
      ApplyChange(events.changes[change]);
    for (; tempo < events.tempoCount && events.tempos[tempo].offset <= start; ++tempo) SetTempo(events.tempos[tempo].bpm);
    int end = std::min(frames, start + maxBlock_);
    if (change < events.changeCount) end = std::min(end, events.changes[change].offset);
    if (tempo < events.tempoCount) end = std::min(end, events.tempos[tempo].offset);
    if (bypass < events.bypassCount) end = std::min(end, events.bypasses[bypass].offset);
    if (!setBegun) end = std::min(end, events.wholeSetAt);
    if (holding_) end = std::min(end, start + fadePos_);
    if (!played_) fadePos_ = FadeTarget();  // nothing sounds yet to fade from
    if (end > start) {
      QueueMidi(events, start, end);
      RenderPiece(inputs, outputs, start, end - start, mode);
      played_ = true;
    }
    if (holding_ && fadePos_ == 0) ReleaseHeld();
    start = end;
  }
  // Changes stamped at or past the block's end hold from the next block.
  for (; bypass < events.bypassCount; ++bypass) bypassed_ = events.bypasses[bypass].on;
  if (!setBegun) BeginHold();
  for (; change < events.changeCount; ++change) ApplyChange(events.changes[change]);
  for (; tempo < events.tempoCount; ++tempo) SetTempo(events.tempos[tempo].bpm);
  KeepLateMidi(events);

  // A NaN or infinity would spread through the host's whole mix (and an
  // extreme routing loop can make the engine run away): such samples leave
  // as silence and the engine starts afresh, at the rate it already has, so
  // nothing is reallocated here.
  bool runaway = false;
  for (int c = 0; c < 2; ++c)
    if (outputs && outputs[c]) runaway = SilenceNonFinite(outputs[c], frames) || runaway;
  if (runaway) engine_->Reset(engine_->SampleRate());
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
      if (source && !(fading && destination == source)) {
        in[c] = source + start;
      } else if (source) {
        std::copy(source + start, source + start + frames, inScratch);
        in[c] = inScratch;
      } else {
        std::fill(inScratch, inScratch + frames, 0.0);
        in[c] = inScratch;
      }
      out[c] = destination ? destination + start : outScratch;
    } else {
      for (int s = 0; s < frames; ++s) inScratch[s] = source ? source[start + s] : 0.0;
      in[c] = inScratch;
      out[c] = outScratch;
    }
  }
  engine_->Process(in, out, frames, tempo_, queue_);
  if (fading) Fade(in, out, frames);
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
