#pragma once
#include <array>
#include <cstdint>
#include <string>

#include "engine/AudioIO.h"
#include "engine/AudioModule.h"
#include "engine/BitCrusher.h"
#include "engine/Connection.h"
#include "engine/Delay.h"
#include "engine/EnvelopeFollower.h"
#include "engine/Feedback.h"
#include "engine/FramePlan.h"
#include "engine/Gain.h"
#include "engine/LFO.h"
#include "engine/LinearRamp.h"
#include "engine/Modulator.h"
#include "engine/Pan.h"
#include "engine/StateVariableFilter.h"
#include "framework/IMidiEventQueue.h"

// The whole signal engine of the effect: seventeen audio and modulation
// modules, twenty-eight modulators, the audio and modulation matrices, the
// control-rate grid and the per-sample loop. It knows nothing of hosts; the
// processing core (BrumeProcessor) owns one Engine and drives it:
//
//   Prepare / Reset       -> Reset(sampleRate); ClearHistory on activation
//   Process               -> Process(inputs, outputs, frames, hostTempo, queue)
//   MIDI                  -> the core adds each event to its IMidiEventQueue;
//                            Process consumes it at its frame offset
//                            (ApplyMidiMessage is the step)
//   parameter changes     -> ApplyParameterChange edits the public rows,
//                            modulator bases, module settings and
//                            effect-level fields below
//
// Threading: one thread at a time: the audio thread, or a thread that holds
// what keeps the audio thread out (the plug-in's processing lock). The
// engine has no lock of its own.
//
// Construction allocates the two delay lines (about 4 MB each at 44.1 kHz)
// and the LFO tables and may throw std::bad_alloc; Process never allocates,
// locks or does I/O. The object itself is about 23 KB: hold it through a
// pointer. Not copyable (rows and links point into it).
//
// Decisions the engine makes on its own:
// - Before the parameter handler runs, envelopeInputGain is 1, dryWetMix
//   0.5 and softClip on (the parameters' defaults), every modulator base is
//   0 and every row empty.
// - An input sample beyond kRunawayLevel (or not finite) reaches no module:
//   the input taps and the envelope detector see 0 for it (the dry mix still
//   carries it). If a routing loop overflows, the wet pair of that frame is
//   replaced by 0. A signal value beyond kRunawayLevel left at the end of a
//   block counts as a runaway: filter states, delay lines and module outputs
//   are cleared, so the output returns to the input's level at once.
// - Delay times longer than the line play at the longest time it holds.
// - Denormals are flushed to zero inside Process (see DenormalGuard.h).
// - Nothing jumps once the engine plays: a new dryWetMix ramps over
//   kMixRampSeconds, a new delay time glides or crossfades (Delay.h), and
//   every line write saturates softly above +6 dBFS (LineLimit.h), so no
//   feedback loop grows without bound. Until the first frame after
//   construction, Reset or ClearHistory (or after Settle) new settings hold
//   at once: nothing sounds yet that a jump could click.
// - With soft clip off, the wet pair still never passes +24 dBFS: above
//   +18 dBFS it bends softly towards that ceiling (kWetKnee, kWetCeiling).
class Engine {
 public:
  static constexpr int kMatrixRows = 12;
  static constexpr int kModulatorCount = 28;
  static constexpr int kMaxControlRate = 64;  // the largest control-rate choice
  // +80 dBFS, 200 times the largest state a full-scale input leaves in the
  // filter at its highest resonance (about 50), so no musical signal comes
  // near it. A filter in a delay's feedback path runs away once its band
  // integrator's soft clip is driven far past 3 (the curve rises again like
  // v/9 there, which triples the filter's resonance): a +60 dBFS burst does
  // that in "filtered delay". A state beyond this level is taken for such a
  // runaway; the level is low enough that one started by such a burst is
  // caught within a second.
  static constexpr double kRunawayLevel = 1e4;
  // A change of the dry/wet mix reaches its new value over this time.
  static constexpr double kMixRampSeconds = 0.015;
  // The wet pair's safety ceiling with soft clip off: exact up to +18 dBFS,
  // never beyond +24 dBFS.
  static constexpr double kWetKnee = 7.943282347242815;      // +18 dBFS
  static constexpr double kWetCeiling = 15.848931924611135;  // +24 dBFS

  Engine();
  Engine(const Engine&) = delete;
  Engine& operator=(const Engine&) = delete;

  // ---- Host-facing entry points -------------------------------------------

  // Processing reset (ClearProcessingState): control counter to 0, every
  // module to `sampleRate` (delay lines are reallocated and silenced only
  // when the rate changes), filter states, envelope and LFO phases to 0,
  // modulators to the control-tick rate. Delay lines at an unchanged rate,
  // crusher holds, modulator smoothing and MIDI bases survive.
  // Returns false and changes nothing for a rate outside the supported
  // range (framework/SampleRateRange.h) or not finite; until the first
  // successful Reset the engine runs at 44100 Hz.
  bool Reset(double sampleRate);

  // Start afresh at the current rate, for hosts whose restart must forget
  // everything played before (LV2 activate): the processing reset, then
  // delay lines silenced and rewound, crusher holds, module outputs and
  // MIDI sources cleared, every modulator's smoothing and the settings the
  // control tick writes back where construction left them. Afterwards the
  // engine renders exactly what a new engine given the same settings and
  // Reset at this rate renders. Settings (rows, bases, module settings of
  // the parameter handler) stay. Never allocates.
  void ClearHistory();

  // One host block. `inputs` and `outputs` each point to two channel
  // buffers (left, right) of at least `frames` doubles; inputs and outputs
  // may be the same memory. `hostTempo` is the host's tempo in BPM, 0 (or
  // not finite) when it gives none, which means 120; it is applied to both
  // delays once, before the first frame. Due MIDI events are taken from
  // `midi` at their frame offsets (events beyond the block stay queued).
  // Denormals are flushed to zero for the duration of the call and the
  // caller's floating-point mode is restored afterwards.
  void Process(const double* const* inputs, double* const* outputs, int frames, double hostTempo,
               IMidiEventQueue& midi);

  // MIDI source step for one message: note on (velocity > 0) sets gate 1,
  // note and velocity /127; note off or note on with velocity 0 clears all
  // three whichever note it names; controller 1 sets the mod wheel.
  // Anything else is ignored. Process calls it for each due event.
  void ApplyMidiMessage(const IMidiEvent& event);

  // Makes every setting made since the last block hold from the next frame
  // on, with no ramp, glide or crossfade (for a caller whose output is
  // silent or faded out at this moment).
  void Settle();
  // What Process does before its first frame: settles when the engine has
  // not played since its last reset, else starts the mix ramp towards a new
  // dryWetMix. Only for loops that stand in for Process (tests).
  void BeginBlock();
  // The mix of the next frame: one step of the ramp (or the settled value).
  double NextMix();
  bool MixRamping() const { return mix_.Active(); }
  // The wet value with soft clip off: itself up to kWetKnee, then bent
  // towards kWetCeiling.
  static double LimitWet(double v);

  // ---- Effect-level settings (written by the parameter handler) ----------

  // kControlRate choice 0..5 -> 1, 4, 8, 16, 32, 64 samples per control
  // tick; other choices keep the current rate. Either way every modulator's
  // rate is set again to (sample rate of the last Reset) / controlRate. The
  // control counter is left alone: if it already exceeds the new rate, the
  // next sample is a control tick.
  void SetControlRateChoice(int choice);
  // The samples-per-tick value for a choice, or 0 for an invalid choice.
  static int ControlRateForChoice(int choice);
  int ControlRate() const { return controlRate_; }
  int ControlCounter() const { return controlCounter_; }
  double SampleRate() const { return sampleRate_; }

  // kLfoReset: both LFOs restart at phase 0.
  void ResetLfoPhases();

  // Linear gain on the envelope detector's input (kGain in dB, converted).
  double envelopeInputGain = 1.0;
  // Wet proportion 0..1 (kDryWetMix / 100); a change while the engine
  // plays ramps (kMixRampSeconds).
  double dryWetMix = 0.5;
  // Saturate the wet pair with SoftClip before the mix (kSoftClip >= 0.5).
  bool softClip = true;

  // ---- Routing -------------------------------------------------------------

  // Row k owns input slot k of whatever it targets; rows start empty with
  // amount 0. Edit them only through the Connection operations.
  std::array<Connection, kMatrixRows> audioMatrix;
  std::array<Connection, kMatrixRows> modulationMatrix;

  // Matrix choice values (the value texts' order) to modules; null for 0
  // ("...") and anything out of range.
  //   audio source      1 In 1, 2 In 2, 3 Crusher 1, 4 Crusher 2, 5 Filter 1,
  //                     6 Filter 2, 7 Delay 1, 8 Delay 2
  //   audio destination 1 Out 1 (master_left), 2 Out 2 (master_right),
  //                     3..8 as the sources 3..8, 9 Delay Fb 1, 10 Delay Fb 2
  //   mod source        1 Midi Gate, 2 Midi Note, 3 Midi Velocity,
  //                     4 Mod Wheel, 5 Envelope, 6 Lfo 1, 7 Lfo 2
  //   mod target        1 Pan 1, 2 Pan 2, 3 Master 1, 4 Master 2,
  //                     5/6 Delay Time, 7/8 Delay Fb, 9/10 Filter Freq,
  //                     11/12 Filter Res, 13/14 Filter Shape,
  //                     15/16 Crusher Bits, 17/18 Crusher Rate,
  //                     19/20 Lfo Rate, 21/22 Lfo Shape, 23/24 Lfo Phase
  AudioModule* AudioSource(int choice);
  AudioModule* AudioDestination(int choice);
  AudioModule* ModulationSource(int choice);
  Modulator* ModulationTarget(int choice);

  // Any module or modulator by its instance name ("crusher_left",
  // "lfo_sjapemod_right", ...); null when there is none.
  AudioModule* FindModule(const std::string& instanceName);

  // ---- Modules (instance names in comments) -------------------------------

  AudioIO inLeft;                    // "in_left"
  AudioIO inRight;                   // "in_right"
  BitCrusher crusherLeft;            // "crusher_left"
  BitCrusher crusherRight;           // "crusher_right"
  StateVariableFilter filterLeft;    // "filter_left"
  StateVariableFilter filterRight;   // "filter_right"
  Pan panLeft;                       // "pan_left"
  Pan panRight;                      // "pan_right"
  Delay delayLeft;                   // "delay_left"
  Delay delayRight;                  // "delay_right"
  Feedback feedbackLeft;             // "feedback_left"
  Feedback feedbackRight;            // "feedback_right"
  LFO lfoLeft;                       // "lfo_left"
  LFO lfoRight;                      // "lfo_right"
  EnvelopeFollower envFollower;      // "env_follower"
  Gain masterLeft;                   // "master_left"
  Gain masterRight;                  // "master_right"

  // ---- Modulators ----------------------------------------------------------
  // Destination modulators: the parameter handler writes `base` in the
  // target's unit (ranges: pan, master, feedback, shapes 0..1; delay fine
  // 0.5..2; cutoff 50..18000 Hz; resonance 0..0.99; bits 1..64; crusher
  // rate 0.01..1; LFO rate 0.01..100 Hz; LFO phase 0..1 cycle).
  Modulator panModLeft;              // "panmod_left"          -> pan_left position
  Modulator panModRight;             // "panmod_right"
  Modulator masterModLeft;           // "master_mod_left"      -> master_left gain
  Modulator masterModRight;          // "master_mod_right"
  Modulator delayTimeModLeft;        // "delaytime_mod_left"   -> delay fine factor
  Modulator delayTimeModRight;       // "delaytime_mod_right"
  Modulator delayFeedbackModLeft;    // "delayFb_mod_left"     -> delay feedback
  Modulator delayFeedbackModRight;   // "delayFb_mod_right"
  Modulator filterFreqModLeft;       // "filterfreq_mod_left"  -> filter cutoff
  Modulator filterFreqModRight;      // "filter_mod_right"
  Modulator filterResModLeft;        // "filterres_mod_left"   -> filter resonance
  Modulator filterResModRight;       // "filterres_mod_right"
  Modulator filterShapeModLeft;      // "filtershape_mod_left" -> filter shape
  Modulator filterShapeModRight;     // "filter_shape_right"
  Modulator crusherBitsModLeft;      // "crusher_bits_mod_left" -> crusher bits
  Modulator crusherBitsModRight;     // "crusher_bits_mod_right"
  Modulator crusherRateModLeft;      // "crusher_rate_mod_left" -> crusher rate
  Modulator crusherRateModRight;     // "crusher_rate_mod_right"
  Modulator lfoRateModLeft;          // "lfo_ratemod_left"     -> LFO rate
  Modulator lfoRateModRight;         // "lfo_ratemod_right"
  Modulator lfoShapeModLeft;         // "lfo_shapemod_left"    -> LFO shape
  Modulator lfoShapeModRight;        // "lfo_sjapemod_right"
  Modulator lfoPhaseModLeft;         // "lfo_phasemod_left"    -> LFO phase offset
  Modulator lfoPhaseModRight;        // "lfo_phasemod_right"
  // MIDI sources, range 0..1, `base` written by ApplyMidiMessage.
  Modulator midiGate;                // "midi_gate_mod"
  Modulator midiNote;                // "midi_note_mod"
  Modulator midiVelocity;            // "midi_velo_mod"
  Modulator midiModWheel;            // "midi_modwhhel_left"

 private:
  void ProcessAudioFrame(double inL, double inR, double& outL, double& outR);
  // Module-by-module loop over a block, for routings the plan cannot pair
  // and delays without a line.
  void ProcessModules(const double* inL, const double* inR, double* outL, double* outR, int frames,
                      IMidiEventQueue& midi);
  // The planned loop (FastLoop.cpp): left and right delays, crushers and
  // filters as SSE2 lane pairs, the block's state in locals; instantiated
  // for whether any sum reads a delay and whether the crushers are idle.
  void ProcessPlanned(const double* inL, const double* inR, double* outL, double* outR, int frames,
                      IMidiEventQueue& midi);
  template <bool kDelaysRead, bool kCrushersIdle>
  void ProcessPlannedAs(const double* inL, const double* inR, double* outL, double* outR, int frames,
                        IMidiEventQueue& midi);
  // The frames from `start` up to the next control tick (or the block's
  // end): the tick frame, whether it falls inside the block, the end of the
  // frames before it and the end of the segment.
  struct Segment {
    int tickFrame;
    bool ticks;
    int audioEnd;
    int end;
  };
  Segment NextSegment(int start, int frames) const;
  // Rebuilds plan_ when a link or amount of a summing module has changed.
  void UpdatePlan();
  void ApplyDueMidi(IMidiEventQueue& midi, int frame);
  // The control tick: the modulators' steps, then their writes into the
  // modules, leaving out what PlanControlTicks found would change nothing.
  void ControlTick();
  // The messages due by `frame`, then the tick; restarts the counter.
  void ControlTickAt(int frame, IMidiEventQueue& midi);
  void PlanControlTicks(int midiQueued);
  // Whether the last control tick wrote anything into a module.
  bool TickWrites() const { return writeCount_ > 0; }
  void SetModulatorRates();
  // Clears the signal state when any of it has run away (beyond
  // kRunawayLevel or not finite) and modulation state that is not finite,
  // so the engine recovers once its input is sane again.
  void RecoverRunawayState();
  // Records what every control-tick write target holds at construction.
  void KeepStartTargets();

  std::array<Modulator*, kModulatorCount> modulatorsInTickOrder_;
  std::array<AudioModule*, 17> modulesInResetOrder_;
  FramePlan plan_;
  std::array<Modulator*, kModulatorCount> steps_{};
  std::array<int8_t, kModulatorCount> writes_{};
  std::array<double, kModulatorCount - 4> startTargets_{};  // in the order of the tick writes
  int stepCount_ = 0;
  int writeCount_ = 0;
  int controlRate_ = 16;
  int controlCounter_ = 0;
  double sampleRate_ = 44100.0;
  // Whether a frame has played since construction or the last reset.
  bool running_ = false;
  // The mix in use, ramping to the last dryWetMix.
  LinearRamp mix_{0.5, 0.5};
};
