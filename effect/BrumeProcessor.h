#pragma once
#include <memory>
#include <vector>

#include "engine/Engine.h"
#include "framework/IMidiEventQueue.h"
#include "framework/IParameterStore.h"
#include "framework/MidiInbox.h"

// The signal path of Brume as every plug-in format drives it: the engine,
// the MIDI that reaches it, the tempo, and the work around the engine in
// one host block (parameter changes, float/double conversion, pieces no
// longer than the scratch buffers, cuts at timed changes, silencing
// non-finite output). A format adapter translates its host's calls into
// these and holds no signal-path logic of its own.
//
// Threads:
// - Prepare, Reset, ClearHistory: not while Process runs (the adapter makes
//   sure: the VST binding holds its processing lock, LV2 and VST3 call them
//   from their own non-audio setup calls). Prepare allocates.
// - Process, ApplyParameterChanges: the audio thread; no allocation, no
//   lock, no waiting, no I/O.
// - PostMidi: any thread, never waits (see MidiInbox).
// - The parameter store is shared with the adapter: any thread sets values
//   there; Process applies what changed, a whole set at a time.
class BrumeProcessor {
 public:
  static constexpr int kMidiCapacity = 1024;
  static constexpr int kDefaultMaxBlock = 1024;
  static constexpr double kDefaultTempo = 120.0;

  enum class Output { kReplace, kAdd };

  // A parameter set to `value` (its own units) from frame `offset` on.
  struct ParameterChange {
    int offset;
    int index;
    double value;
  };
  // The host's tempo from frame `offset` on; an offset at or beyond the
  // block's end holds from the next block.
  struct TempoChange {
    int offset;
    double bpm;
  };
  // What one host block carries besides audio; every list is ordered by
  // offset (frames from the block's start). MIDI stamped past the block's
  // end waits for that frame in the next block.
  struct BlockEvents {
    // The tempo at the block's start; 0 (or not usable) keeps the last one.
    double tempo = 0.0;
    const IMidiEvent* midi = nullptr;
    int midiCount = 0;
    const ParameterChange* changes = nullptr;
    int changeCount = 0;
    const TempoChange* tempos = nullptr;
    int tempoCount = 0;
  };

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

  bool PostMidi(const IMidiEvent& event) { return inbox_.Post(event); }
  // Posted or carried over, not yet played (while no audio thread runs).
  int PendingMidi() const { return inbox_.Pending() + postedCount_ - postedNext_ + queue_.Pending(); }
  double Tempo() const { return tempo_; }

  // Applies the store's changed values to the engine (a whole set at a
  // time; a set still being written waits for the next call).
  void ApplyParameterChanges();

  // One host block. Two input and two output channels; a null input reads
  // silence, a null output is not written. Inputs may alias outputs.
  // Double buffers are processed in place; kAdd adds into float outputs.
  void Process(const float* const* inputs, float* const* outputs, int frames, Output mode,
               const BlockEvents& events);
  void Process(const double* const* inputs, double* const* outputs, int frames,
               const BlockEvents& events);

  // The engine, for inspection by tests and tools while no audio runs.
  Engine& SignalEngine() { return *engine_; }

 private:
  template <typename Sample>
  void Run(const Sample* const* inputs, Sample* const* outputs, int frames, Output mode, const BlockEvents& events);
  template <typename Sample>
  void RenderPiece(const Sample* const* inputs, Sample* const* outputs, int start, int frames, Output mode);
  // Queues the block's MIDI that falls before `end` at offsets from start.
  void QueueMidi(const BlockEvents& events, int start, int end);
  void KeepLateMidi(const BlockEvents& events);
  void KeepPosted(const IMidiEvent& event);
  void SetTempo(double bpm);
  void ApplyChange(const ParameterChange& change);

  IParameterStore& parameters_;
  std::unique_ptr<Engine> engine_;
  IMidiEventQueue queue_;
  MidiInbox inbox_;
  // The block's posted MIDI (what the inbox held at its start and what
  // earlier blocks left for later), offsets from the block's start.
  std::unique_ptr<IMidiEvent[]> posted_;
  int postedCount_ = 0;
  int postedNext_ = 0;
  int midiNext_ = 0;
  double tempo_ = kDefaultTempo;
  int maxBlock_ = 0;
  std::vector<double> scratch_[4];  // in L, in R, out L, out R
};
