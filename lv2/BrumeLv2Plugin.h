#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include <lv2/atom/atom.h>
#include <lv2/core/lv2.h>
#include <lv2/urid/urid.h>

#include "effect/ParameterIds.h"
#include "engine/Engine.h"
#include "framework/IMidiEventQueue.h"
#include "framework/IParameterStore.h"
#include "lv2/ControlSequence.h"

// Brume as one LV2 instance: the engine, a parameter store (for the ranges)
// and what the LV2 ports deliver each run(): float audio converted to and
// from double as the VST binding does, control values in the parameters'
// own units, MIDI and the host's tempo from the atom sequence.
//
// Threads (LV2's classes): the constructor, Activate and the destructor are
// instantiation-class calls; ConnectPort and Run are audio-class calls. Run
// never allocates, locks, waits or does I/O: every buffer is sized here.
class BrumeLv2Plugin {
 public:
  // Frames per engine call when the host states no maximum block length.
  static constexpr int kDefaultScratchFrames = 4096;
  static constexpr int kMidiQueueSize = 1024;

  // `features` may be null; urid:map and opts:options are used when given.
  BrumeLv2Plugin(double sampleRate, const LV2_Feature* const* features);

  void ConnectPort(uint32_t port, void* data);
  // A clean start (LV2 activate): no echo, hold, queued MIDI or modulation
  // from before; the last tempo received stays.
  void Activate();
  void Run(uint32_t frames);

  int ScratchFrames() const { return scratchFrames_; }
  double Tempo() const { return tempo_; }

 private:
  struct Urids {
    ControlUrids control;
    LV2_URID atomInt = 0, maxBlockLength = 0;
  };
  void MapUrids(LV2_URID_Map* map);
  void ReadOptions(const LV2_Feature* const* features);
  void ApplyControlChanges();
  // A MIDI message goes to the queue at its offset in the piece starting
  // at `pieceStart`; a tempo replaces the tempo.
  void HandleEvent(const ControlEvent& event, uint32_t pieceStart);
  void RenderPiece(uint32_t start, uint32_t frames);

  double sampleRate_;
  std::unique_ptr<Engine> engine_;
  IParameterStore parameters_;
  IMidiEventQueue midi_;
  bool haveUrids_ = false;
  Urids urids_;
  int scratchFrames_ = kDefaultScratchFrames;
  std::vector<double> scratch_[4];  // in L, in R, out L, out R
  double tempo_ = 120.0;

  const float* audioIn_[2] = {};
  float* audioOut_[2] = {};
  const LV2_Atom_Sequence* control_ = nullptr;
  const float* controlPorts_[kParameterCount] = {};
  double applied_[kParameterCount] = {};  // the values the engine has, limited to range
};
