#pragma once
#include <memory>
#include <vector>

#include "effect/BlockEventList.h"
#include "engine/Engine.h"
#include "framework/IMidiEventQueue.h"
#include "framework/IParameterStore.h"
#include "framework/MidiInbox.h"

// The signal path of Brume as every plug-in format drives it: the engine,
// the MIDI that reaches it, the tempo, and the work around the engine in
// one host block (float/double conversion, non-finite input read as 0,
// pieces no longer than the scratch buffers, cuts at timed events, a
// runaway engine silenced and reset), and the switches every format
// shares: bypass, and the fade around a whole set of new values (a program
// or a loaded state). A format adapter translates its host's calls into
// these and holds no signal-path logic of its own.
//
// One event policy for every format: a block's events (parameter points,
// MIDI, tempo, bypass, whole sets) come in one list with the host's
// offsets; they play in offset order, arrival order kept among equal
// offsets; one stamped before the block plays on its first frame, one at
// or past its end on its last frame (nothing waits for a later block); a
// block of no frames plays them all at once, MIDI included. What does not
// fit the list is dropped and counted (DroppedEvents).
//
// Bypass and whole sets both move one fade between the engine's output and
// the plain input, kFadeSeconds each way. Bypassed, the output is the
// input, while the engine goes on running on it (tails carry on in time,
// MIDI reaches the modulators), so bypass off resumes what is sounding now
// instead of replaying what was frozen. A whole set arriving while audio
// plays waits (with every change after it) until the output has faded to
// the input, is applied there with the engine settled (no ramps: nothing
// of the engine is heard at that moment), and the new sound fades in.
// Before the first frame after Prepare, Reset or ClearHistory, a set
// applies at once, as every other change.
//
// Threads:
// - Prepare, Reset, ClearHistory: not while Process runs (the adapter makes
//   sure: the VST binding holds its processing lock, LV2 and VST3 call them
//   from their own non-audio setup calls). Prepare allocates.
// - Events, Process, ApplyParameterChanges: the audio thread; no
//   allocation, no lock, no waiting, no I/O.
// - PostMidi: any thread, never waits (see MidiInbox).
// - The parameter store is shared with the adapter: any thread sets values
//   there; Process applies what changed, a whole set at a time.
class BrumeProcessor {
 public:
  static constexpr int kMidiCapacity = 1024;
  // Events one block carries (parameter points, MIDI, switches); more are
  // dropped and counted.
  static constexpr int kMaxBlockEvents = 4096 + kMidiCapacity;
  static constexpr int kDefaultMaxBlock = 1024;
  static constexpr double kDefaultTempo = 120.0;
  static constexpr double kFadeSeconds = 0.008;

  enum class Output { kReplace, kAdd };

  // `parameters` holds Brume's parameter definitions and outlives this.
  explicit BrumeProcessor(IParameterStore& parameters);
  BrumeProcessor(const BrumeProcessor&) = delete;
  BrumeProcessor& operator=(const BrumeProcessor&) = delete;

  // Rate and the largest block a Process call converts at once (longer
  // blocks run in pieces). Applies pending parameter changes, then resets
  // the engine at the rate. False, changing nothing, for a rate the engine
  // does not run at.
  bool Prepare(double sampleRate, int maxBlockFrames);
  // Processing reset at the current rate: pending parameter changes first,
  // then the engine's reset (which keeps delay lines and crusher holds).
  void Reset();
  // Back to silence: everything that remembers past input or MIDI, as a new
  // engine at the current rate with the current settings.
  void ClearHistory();

  // The next block's events: the adapter adds them (host offsets, any
  // order) before calling Process, which plays them and empties the list.
  // The audio thread, or while no block runs.
  BlockEventList& Events() { return events_; }
  // Whether the output is bypassed, as the last block left it.
  bool Bypassed() const { return bypassed_; }

  // MIDI stamped for the next block (frames from its start), from any
  // thread, never waiting (see MidiInbox): it joins that block's events.
  bool PostMidi(const IMidiEvent& event) { return inbox_.Post(event); }
  // Posted, not yet played (while no audio thread runs).
  int PendingMidi() const { return inbox_.Pending() + queue_.Pending(); }
  // Events lost since construction: a full event list, a full inbox or a
  // poster meeting another one.
  long DroppedEvents() const { return events_.Dropped() + inbox_.Dropped() + queue_.Dropped(); }
  double Tempo() const { return tempo_; }

  // Applies the store's changed values to the engine at once, and any set
  // held for a fade (a whole set at a time; a set still being written waits
  // for the next call). For callers outside a block.
  void ApplyParameterChanges();

  // One host block with the events in Events(). Two input and two output
  // channels; a null input reads silence, a null output is not written;
  // inputs may alias outputs. Double buffers are processed in place; kAdd
  // adds into float outputs. A NaN or infinity in the input is read as 0.
  // A block of no frames (or a negative count) plays its events at once.
  void Process(const float* const* inputs, float* const* outputs, int frames, Output mode);
  void Process(const double* const* inputs, double* const* outputs, int frames);

  // The engine, for inspection by tests and tools while no audio runs.
  Engine& SignalEngine() { return *engine_; }

 private:
  template <typename Sample>
  void Run(const Sample* const* inputs, Sample* const* outputs, int frames, Output mode);
  // The block's posted MIDI joins its events, which are ordered and placed
  // on frames 0 .. frames - 1.
  void GatherEvents(int frames);
  // A parameter, tempo, bypass or whole-set event.
  void Play(const BlockEvent& event);
  template <typename Sample>
  void RenderPiece(const Sample* const* inputs, Sample* const* outputs, int start, int frames, Output mode);
  // The fade position the output moves to: 0 (the input) while bypassed or
  // holding a set, fadeFrames_ (the engine) otherwise.
  int FadeTarget() const { return (bypassed_ || holding_) ? 0 : fadeFrames_; }
  // Steps the fade over `frames` and mixes the engine's output `out` with
  // its input `in` accordingly.
  void Fade(const double* const* in, double* const* out, int frames);
  // The store's changes; with `holdWholeSets` (a block's start) a whole
  // set while audio plays starts a hold.
  void TakeStoreChanges(bool holdWholeSets);
  void SetFadeFrames(double sampleRate);
  // One change: held while a set waits for the fade, else applied.
  void Change(int index, double value);
  void BeginHold();
  // Applies what was held and settles the engine; the fade turns back.
  void ReleaseHeld();
  // Back to a state where nothing has played: fades end where they go.
  void Restart();
  void SetTempo(double bpm);
  void ApplyChange(int index, double value);

  IParameterStore& parameters_;
  std::unique_ptr<Engine> engine_;
  BlockEventList events_;
  IMidiEventQueue queue_;  // one piece's MIDI, offsets from the piece's start
  MidiInbox inbox_;
  bool runaway_ = false;  // the engine's output was not finite this block
  double tempo_ = kDefaultTempo;
  int maxBlock_ = 0;
  std::vector<double> scratch_[4];  // in L, in R, out L, out R

  // The fade: fadePos_ / fadeFrames_ is the engine's share of the output.
  int fadeFrames_ = 1;
  int fadePos_ = 1;
  bool bypassed_ = false;
  bool holding_ = false;
  bool played_ = false;  // a frame has played since Prepare, Reset or ClearHistory
  uint32_t takenGeneration_ = 0;
  // The values a hold keeps, by parameter index, and which are set.
  std::vector<double> held_;
  std::vector<char> heldSet_;
};
