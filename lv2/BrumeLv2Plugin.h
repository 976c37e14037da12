#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include <lv2/atom/atom.h>
#include <lv2/core/lv2.h>
#include <lv2/urid/urid.h>

#include "effect/BrumeProcessor.h"
#include "effect/ParameterIds.h"
#include "framework/IParameterStore.h"
#include "lv2/ControlSequence.h"

// Brume as one LV2 instance: the shared processor and a parameter store
// (for the ranges), fed from what the LV2 ports deliver each run(): float
// audio, control values in the parameters' own units, MIDI and the host's
// tempo from the atom sequence.
//
// Threads (LV2's classes): the constructor, Activate and the destructor are
// instantiation-class calls; ConnectPort and Run are audio-class calls. Run
// never allocates, locks, waits or does I/O: every buffer is sized here.
class BrumeLv2Plugin {
 public:
  // Frames per engine call when the host states no maximum block length.
  static constexpr int kDefaultScratchFrames = 4096;
  // More control ports than this changed before one run() count as a whole
  // set (a preset or a restored state) rather than automation.
  static constexpr int kWholeSetPorts = 8;

  // `features` may be null; urid:map and opts:options are used when given.
  BrumeLv2Plugin(double sampleRate, const LV2_Feature* const* features);

  void ConnectPort(uint32_t port, void* data);
  // Engine reset at the instance's sample rate (LV2 activate).
  void Activate();
  void Run(uint32_t frames);

  int ScratchFrames() const { return scratchFrames_; }
  double Tempo() const { return processor_.Tempo(); }

 private:
  struct Urids {
    ControlUrids control;
    LV2_URID maxBlockLength = 0;
  };
  void MapUrids(LV2_URID_Map* map);
  void ReadOptions(const LV2_Feature* const* features);
  // The control ports that changed since the last run(), as changes at the
  // block's start (a whole set when many changed at once).
  void CollectControlChanges();
  // The sequence's MIDI and tempo into the block's events.
  void CollectEvents();

  double sampleRate_;
  IParameterStore parameters_;
  BrumeProcessor processor_;
  bool haveUrids_ = false;
  Urids urids_;
  int scratchFrames_ = kDefaultScratchFrames;
  int changed_[kParameterCount] = {};  // the ports one run() found changed

  const float* audioIn_[2] = {};
  float* audioOut_[2] = {};
  const LV2_Atom_Sequence* control_ = nullptr;
  const float* controlPorts_[kParameterCount] = {};
  const float* enabled_ = nullptr;
  double applied_[kParameterCount] = {};  // the values the engine has, limited to range
};
