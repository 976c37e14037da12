#pragma once
#include <algorithm>
#include <vector>

#include "engine/Engine.h"

// Helpers shared by the whole-loop tests: stereo buffers, block processing
// and the settings the effect applies from its parameter defaults.
namespace engine_test {

struct StereoBuffer {
  explicit StereoBuffer(int frames, double value = 0.0) : left(frames, value), right(frames, value) {}
  std::vector<double> left;
  std::vector<double> right;
  int Frames() const { return static_cast<int>(left.size()); }
};

// Processes `in` into `out` in blocks of `blockSize` frames, offsetting the
// block pointers like a host would.
inline void ProcessInBlocks(Engine& engine, const StereoBuffer& in, StereoBuffer& out, int blockSize,
                            IMidiEventQueue& midi, double tempo = 120.0) {
  for (int start = 0; start < in.Frames(); start += blockSize) {
    const int frames = std::min(blockSize, in.Frames() - start);
    const double* inputs[2] = {in.left.data() + start, in.right.data() + start};
    double* outputs[2] = {out.left.data() + start, out.right.data() + start};
    engine.Process(inputs, outputs, frames, tempo, midi);
  }
}

inline void ProcessInBlocks(Engine& engine, const StereoBuffer& in, StereoBuffer& out, int blockSize) {
  IMidiEventQueue midi(1024);
  ProcessInBlocks(engine, in, out, blockSize, midi);
}

// The bases the effect writes for the parameters' default values.
inline void ApplyDefaultBases(Engine& e) {
  e.crusherBitsModLeft.base = e.crusherBitsModRight.base = 64.0;
  e.crusherRateModLeft.base = e.crusherRateModRight.base = 1.0;
  e.filterShapeModLeft.base = e.filterShapeModRight.base = 0.0;
  e.filterFreqModLeft.base = e.filterFreqModRight.base = 1000.0;
  e.filterResModLeft.base = e.filterResModRight.base = 0.0;
  e.panModLeft.base = 0.0;
  e.panModRight.base = 1.0;
  e.delayTimeModLeft.base = e.delayTimeModRight.base = 1.0;
  e.lfoShapeModLeft.base = e.lfoShapeModRight.base = 0.0;
  e.lfoRateModLeft.base = e.lfoRateModRight.base = 1.0;
  e.masterModLeft.base = e.masterModRight.base = 1.0;
  e.delayFeedbackModLeft.base = e.delayFeedbackModRight.base = 0.0;
  e.lfoPhaseModLeft.base = e.lfoPhaseModRight.base = 0.0;
  e.delayLeft.SetQuarters(4);
  e.delayRight.SetQuarters(4);
}

// Puts every modulator at rest on its base, as if it had glided there long
// ago, so a test sees exact settings from the first control tick on.
inline void SettleModulators(Engine& e) {
  for (const char* name :
       {"midi_gate_mod", "midi_note_mod", "midi_velo_mod", "midi_modwhhel_left", "panmod_left", "panmod_right",
        "master_mod_left", "master_mod_right", "delaytime_mod_left", "delaytime_mod_right", "delayFb_mod_left",
        "delayFb_mod_right", "filterfreq_mod_left", "filter_mod_right", "filtershape_mod_left",
        "filter_shape_right", "filterres_mod_left", "filterres_mod_right", "crusher_bits_mod_left",
        "crusher_bits_mod_right", "crusher_rate_mod_left", "crusher_rate_mod_right", "lfo_ratemod_left",
        "lfo_ratemod_right", "lfo_shapemod_left", "lfo_sjapemod_right", "lfo_phasemod_left",
        "lfo_phasemod_right"}) {
    auto* m = static_cast<Modulator*>(e.FindModule(name));
    m->smoothed = m->base;
  }
}

// A reset engine with the default bases, dry/wet 1 and no soft clip: the
// output is the wet signal exactly.
inline void PrepareWetOnly(Engine& e) {
  e.Reset(44100.0);
  ApplyDefaultBases(e);
  e.dryWetMix = 1.0;
  e.softClip = false;
}

// Links audio-matrix row `row` from source choice to destination choice.
inline void Route(Engine& e, int row, int source, int destination, double amount) {
  e.audioMatrix[row].SetSource(e.AudioSource(source));
  e.audioMatrix[row].SetDestination(e.AudioDestination(destination));
  e.audioMatrix[row].SetAmount(amount);
}

inline void Modulate(Engine& e, int row, int source, int target, double amount) {
  e.modulationMatrix[row].SetSource(e.ModulationSource(source));
  e.modulationMatrix[row].SetDestination(e.ModulationTarget(target));
  e.modulationMatrix[row].SetAmount(amount);
}

// Matrix choice numbers, as the parameter value texts order them.
enum AudioSourceChoice { kIn1 = 1, kIn2, kCrusher1Src, kCrusher2Src, kFilter1Src, kFilter2Src, kDelay1Src, kDelay2Src };
enum AudioDestinationChoice {
  kOut1 = 1, kOut2, kCrusher1Dst, kCrusher2Dst, kFilter1Dst, kFilter2Dst, kDelay1Dst, kDelay2Dst, kDelayFb1, kDelayFb2
};
enum ModSourceChoice { kMidiGate = 1, kMidiNote, kMidiVelocity, kModWheel, kEnvelope, kLfo1, kLfo2 };

}  // namespace engine_test
