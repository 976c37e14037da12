#include "engine/Engine.h"

#include <cmath>

#include "engine/DenormalGuard.h"
#include "engine/Inline.h"
#include "engine/SoftClip.h"

namespace {

// Clamping ranges of the destination modulators, in the unit the modulator
// writes: the parameter ranges, percentages / 100, degrees / 360.
struct ModulatorSetup {
  Modulator Engine::*left;
  Modulator Engine::*right;
  const char* leftName;
  const char* rightName;
  double minimum;
  double maximum;
};

const ModulatorSetup kDestinationModulators[] = {
    {&Engine::panModLeft, &Engine::panModRight, "panmod_left", "panmod_right", 0.0, 1.0},
    {&Engine::masterModLeft, &Engine::masterModRight, "master_mod_left", "master_mod_right", 0.0 / 100.0,
     100.0 / 100.0},
    {&Engine::delayTimeModLeft, &Engine::delayTimeModRight, "delaytime_mod_left", "delaytime_mod_right", 0.5,
     2.0},
    {&Engine::delayFeedbackModLeft, &Engine::delayFeedbackModRight, "delayFb_mod_left", "delayFb_mod_right",
     0.0 / 100.0, 100.0 / 100.0},
    {&Engine::filterFreqModLeft, &Engine::filterFreqModRight, "filterfreq_mod_left", "filter_mod_right", 50.0,
     18000.0},
    {&Engine::filterResModLeft, &Engine::filterResModRight, "filterres_mod_left", "filterres_mod_right",
     0.0 / 100.0, 99.0 / 100.0},
    {&Engine::filterShapeModLeft, &Engine::filterShapeModRight, "filtershape_mod_left", "filter_shape_right",
     0.0 / 100.0, 100.0 / 100.0},
    {&Engine::crusherBitsModLeft, &Engine::crusherBitsModRight, "crusher_bits_mod_left",
     "crusher_bits_mod_right", 1.0, 64.0},
    {&Engine::crusherRateModLeft, &Engine::crusherRateModRight, "crusher_rate_mod_left",
     "crusher_rate_mod_right", 1.0 / 100.0, 100.0 / 100.0},
    {&Engine::lfoRateModLeft, &Engine::lfoRateModRight, "lfo_ratemod_left", "lfo_ratemod_right", 0.01, 100.0},
    {&Engine::lfoShapeModLeft, &Engine::lfoShapeModRight, "lfo_shapemod_left", "lfo_sjapemod_right",
     0.0 / 100.0, 100.0 / 100.0},
    {&Engine::lfoPhaseModLeft, &Engine::lfoPhaseModRight, "lfo_phasemod_left", "lfo_phasemod_right",
     0.0 / 360.0, 360.0 / 360.0},
};

constexpr int kControlRates[] = {1, 4, 8, 16, 32, 64};

bool IsFinite(double v) { return std::fabs(v) <= 1.7976931348623157e308; }

}  // namespace

Engine::Engine()
    : modulatorsInTickOrder_{&midiGate,           &midiNote,           &midiVelocity,
                             &midiModWheel,       &panModLeft,         &panModRight,
                             &masterModLeft,      &masterModRight,     &delayTimeModLeft,
                             &delayTimeModRight,  &delayFeedbackModLeft, &delayFeedbackModRight,
                             &filterFreqModLeft,  &filterFreqModRight, &filterShapeModLeft,
                             &filterShapeModRight, &filterResModLeft,  &filterResModRight,
                             &crusherBitsModLeft, &crusherBitsModRight, &crusherRateModLeft,
                             &crusherRateModRight, &lfoRateModLeft,    &lfoRateModRight,
                             &lfoShapeModLeft,    &lfoShapeModRight,   &lfoPhaseModLeft,
                             &lfoPhaseModRight},
      modulesInResetOrder_{&inLeft,      &inRight,      &crusherLeft,   &crusherRight, &panLeft,
                           &panRight,    &filterLeft,   &filterRight,   &delayLeft,    &delayRight,
                           &feedbackLeft, &feedbackRight, &masterLeft,  &masterRight,  &lfoLeft,
                           &lfoRight,    &envFollower} {
  inLeft.SetName("in_left");
  inRight.SetName("in_right");
  crusherLeft.SetName("crusher_left");
  crusherRight.SetName("crusher_right");
  filterLeft.SetName("filter_left");
  filterRight.SetName("filter_right");
  panLeft.SetName("pan_left");
  panRight.SetName("pan_right");
  delayLeft.SetName("delay_left");
  delayRight.SetName("delay_right");
  feedbackLeft.SetName("feedback_left");
  feedbackRight.SetName("feedback_right");
  lfoLeft.SetName("lfo_left");
  lfoRight.SetName("lfo_right");
  envFollower.SetName("env_follower");
  masterLeft.SetName("master_left");
  masterRight.SetName("master_right");

  for (const ModulatorSetup& setup : kDestinationModulators) {
    for (Modulator Engine::*member : {setup.left, setup.right}) {
      Modulator& m = this->*member;
      m.minimum = setup.minimum;
      m.maximum = setup.maximum;
    }
    (this->*setup.left).SetName(setup.leftName);
    (this->*setup.right).SetName(setup.rightName);
  }
  struct MidiSource {
    Modulator* modulator;
    const char* name;
  };
  for (const MidiSource& source : {MidiSource{&midiGate, "midi_gate_mod"}, MidiSource{&midiNote, "midi_note_mod"},
                                   MidiSource{&midiVelocity, "midi_velo_mod"},
                                   MidiSource{&midiModWheel, "midi_modwhhel_left"}}) {
    source.modulator->SetName(source.name);
    source.modulator->minimum = 0.0;
    source.modulator->maximum = 1.0;
  }

  for (int k = 0; k < kMatrixRows; ++k) {
    audioMatrix[k].SetSlot(k);
    audioMatrix[k].SetAmount(0.0);
    modulationMatrix[k].SetSlot(k);
    modulationMatrix[k].SetAmount(0.0);
  }
}

bool Engine::Reset(double sampleRate) {
  if (!(sampleRate >= kMinSampleRate && sampleRate <= kMaxSampleRate)) return false;
  sampleRate_ = sampleRate;
  controlCounter_ = 0;
  for (AudioModule* module : modulesInResetOrder_) module->SetSampleRate(sampleRate);
  filterLeft.ClearState();
  filterRight.ClearState();
  envFollower.ClearEnvelope();
  ResetLfoPhases();
  SetModulatorRates();
  return true;
}

void Engine::SetModulatorRates() {
  const double tickRate = sampleRate_ / controlRate_;
  // Destination modulators first, then the MIDI sources.
  for (int m = 4; m < kModulatorCount; ++m) modulatorsInTickOrder_[m]->SetSampleRate(tickRate);
  for (int m = 0; m < 4; ++m) modulatorsInTickOrder_[m]->SetSampleRate(tickRate);
}

int Engine::ControlRateForChoice(int choice) {
  if (choice < 0 || choice >= static_cast<int>(sizeof kControlRates / sizeof kControlRates[0])) return 0;
  return kControlRates[choice];
}

void Engine::SetControlRateChoice(int choice) {
  const int rate = ControlRateForChoice(choice);
  if (rate > 0) controlRate_ = rate;
  SetModulatorRates();
}

void Engine::ResetLfoPhases() {
  lfoLeft.ResetPhase();
  lfoRight.ResetPhase();
}

void Engine::ApplyMidiMessage(const IMidiEvent& event) {
  const int kind = event.MessageKind();
  const int velocity = event.KeyVelocity();
  if (kind == 9 && velocity > 0) {
    midiGate.base = 1.0;
    midiVelocity.base = velocity / 127.0;
    midiNote.base = event.KeyNumber() / 127.0;
  } else if (kind == 8 || kind == 9) {
    midiGate.base = 0.0;
    midiNote.base = 0.0;
    midiVelocity.base = 0.0;
  } else if (kind == 11 && event.ControllerIndex() == 1) {
    midiModWheel.base = event.ControllerValue(1);
  }
}

void Engine::ControlTick() {
  for (Modulator* m : modulatorsInTickOrder_) m->Step();

  panLeft.position = panModLeft.output;
  panRight.position = panModRight.output;
  masterLeft.gain = masterModLeft.output;
  masterRight.gain = masterModRight.output;
  delayLeft.SetFine(delayTimeModLeft.output);
  delayRight.SetFine(delayTimeModRight.output);
  delayLeft.feedback = delayFeedbackModLeft.output;
  delayRight.feedback = delayFeedbackModRight.output;
  filterLeft.SetCutoff(filterFreqModLeft.output);
  filterRight.SetCutoff(filterFreqModRight.output);
  filterLeft.SetShape(filterShapeModLeft.output);
  filterRight.SetShape(filterShapeModRight.output);
  filterLeft.SetResonance(filterResModLeft.output);
  filterRight.SetResonance(filterResModRight.output);
  crusherLeft.SetBits(crusherBitsModLeft.output);
  crusherRight.SetBits(crusherBitsModRight.output);
  crusherLeft.SetRate(crusherRateModLeft.output);
  crusherRight.SetRate(crusherRateModRight.output);
  lfoLeft.phaseOffset = lfoPhaseModLeft.output;
  lfoRight.phaseOffset = lfoPhaseModRight.output;
  lfoLeft.SetRate(lfoRateModLeft.output);
  lfoRight.SetRate(lfoRateModRight.output);
  lfoLeft.SetShape(lfoShapeModLeft.output);
  lfoRight.SetShape(lfoShapeModRight.output);
}

namespace {
// A non-finite input sample reaches no state: taps and detector see 0.
// The dry path still carries the sample as it came.
inline double Tap(double sample) { return IsFinite(sample) ? sample : 0.0; }
}  // namespace

KESTREL_HOT_INLINE void Engine::ProcessAudioFrame(double inL, double inR, double& outL, double& outR, double dry, double wet) {
  inLeft.output = Tap(inL);
  inRight.output = Tap(inR);

  delayLeft.Tick();
  delayRight.Tick();
  crusherLeft.Process();
  crusherRight.Process();
  filterLeft.Process();
  filterRight.Process();
  feedbackLeft.Process();
  feedbackRight.Process();

  delayLeft.Inject(feedbackLeft.output);
  delayRight.Inject(feedbackRight.output);
  delayLeft.Advance();
  delayRight.Advance();

  masterLeft.Process();
  masterRight.Process();
  panLeft.Split(masterLeft.output);
  panRight.Split(masterRight.output);

  double wetL = panRight.leftPart + panLeft.leftPart;
  double wetR = panRight.rightPart + panLeft.rightPart;
  if (softClip) {
    wetL = SoftClip(wetL);
    wetR = SoftClip(wetR);
  }
  // An overflowing routing loop must not hand the host inf or NaN; the
  // state that produced it is cleared at the end of the block.
  if (!IsFinite(wetL)) wetL = 0.0;
  if (!IsFinite(wetR)) wetR = 0.0;

  outL = dry * inL + wet * wetL;
  outR = dry * inR + wet * wetR;
}

void Engine::ApplyDueMidi(IMidiEventQueue& midi, int frame) {
  while (!midi.Empty() && midi.Peek().offset <= frame) {
    ApplyMidiMessage(midi.Peek());
    midi.Advance();
  }
}

// Per frame the order is: due MIDI, LFOs, envelope, control tick (when the
// counter has reached the rate), then the audio modules. The MIDI bases,
// the LFOs and the envelope are read only by control ticks, and only a
// control tick changes the LFO settings, so the block is cut into segments
// that end on a control-tick frame. Each segment first runs its LFO and
// envelope ticks in tight loops (the LFOs read their tables only on the
// last frame, whose values are left in their outputs), then its audio
// frames, with the MIDI messages due by the tick frame applied just before
// the tick. The results are those of the frame-by-frame order, with much
// less work interleaved with the filters' long dependency chains.
void Engine::Process(const double* const* inputs, double* const* outputs, int frames, double hostTempo,
                     IMidiEventQueue& midi) {
  const double tempo = (hostTempo == 0.0 || !IsFinite(hostTempo)) ? 120.0 : hostTempo;
  delayLeft.SetTempo(tempo);
  delayRight.SetTempo(tempo);
  if (frames <= 0 || !inputs || !outputs) return;
  const double* inL = inputs[0];
  const double* inR = inputs[1];
  double* outL = outputs[0];
  double* outR = outputs[1];
  if (!inL || !inR || !outL || !outR) return;

  DenormalGuard denormalGuard;
  UpdatePlan();
  if (plan_.paired && delayLeft.HasLine() && delayRight.HasLine())
    ProcessPlanned(inL, inR, outL, outR, frames, midi);
  else
    ProcessModules(inL, inR, outL, outR, frames, midi);
  ApplyDueMidi(midi, frames - 1);
  RecoverNonFiniteState();
}

void Engine::ProcessModules(const double* inL, const double* inR, double* outL, double* outR, int frames,
                            IMidiEventQueue& midi) {
  const double wet = dryWetMix;
  const double dry = 1.0 - dryWetMix;
  const double gain = envelopeInputGain;
  int start = 0;
  while (start < frames) {
    // The counter grows by one per frame; the tick falls on the first frame
    // that starts with the counter at or above the rate.
    const int untilTick = controlRate_ - controlCounter_;
    const int tickFrame = start + (untilTick > 0 ? untilTick : 0);
    const bool ticks = tickFrame < frames;
    const int audioEnd = ticks ? tickFrame : frames;
    const int segmentEnd = ticks ? tickFrame + 1 : frames;

    // LFO values are needed only on the last frame of the segment.
    for (int i = start; i < segmentEnd - 1; ++i) {
      lfoLeft.AdvancePhase();
      lfoRight.AdvancePhase();
    }
    lfoLeft.Process();
    lfoRight.Process();
    for (int i = start; i < segmentEnd; ++i) envFollower.Detect(Tap(inL[i]), Tap(inR[i]), gain);

    // Each frame's inputs are read before its outputs are written, so the
    // buffers may be the same memory.
    for (int i = start; i < audioEnd; ++i) ProcessAudioFrame(inL[i], inR[i], outL[i], outR[i], dry, wet);
    controlCounter_ += audioEnd - start;

    if (ticks) {
      ApplyDueMidi(midi, tickFrame);
      controlCounter_ = 0;
      ControlTick();
      controlCounter_ = 1;
      ProcessAudioFrame(inL[tickFrame], inR[tickFrame], outL[tickFrame], outR[tickFrame], dry, wet);
    }
    start = segmentEnd;
  }
}

void Engine::RecoverNonFiniteState() {
  for (StateVariableFilter* filter : {&filterLeft, &filterRight}) {
    bool finite = IsFinite(filter->output);
    for (double r : filter->response) finite = finite && IsFinite(r);
    if (!finite) {
      filter->ClearState();
      filter->output = 0.0;
    }
  }
  for (Delay* delay : {&delayLeft, &delayRight}) {
    if (!IsFinite(delay->output)) {
      delay->ClearLine();
      delay->output = 0.0;
    }
  }
  for (AudioModule* module :
       {static_cast<AudioModule*>(&crusherLeft), static_cast<AudioModule*>(&crusherRight),
        static_cast<AudioModule*>(&feedbackLeft), static_cast<AudioModule*>(&feedbackRight),
        static_cast<AudioModule*>(&masterLeft), static_cast<AudioModule*>(&masterRight)}) {
    if (!IsFinite(module->output)) module->output = 0.0;
  }
  if (!IsFinite(envFollower.envelope)) envFollower.ClearEnvelope();
  for (Modulator* m : modulatorsInTickOrder_) {
    if (!IsFinite(m->smoothed) || !IsFinite(m->output)) {
      m->smoothed = IsFinite(m->base) ? m->base : 0.0;
      m->output = 0.0;
    }
  }
}

AudioModule* Engine::AudioSource(int choice) {
  AudioModule* const sources[] = {&inLeft,      &inRight,      &crusherLeft, &crusherRight,
                                  &filterLeft, &filterRight, &delayLeft,   &delayRight};
  return (choice >= 1 && choice <= 8) ? sources[choice - 1] : nullptr;
}

AudioModule* Engine::AudioDestination(int choice) {
  AudioModule* const destinations[] = {&masterLeft, &masterRight, &crusherLeft, &crusherRight,
                                       &filterLeft, &filterRight, &delayLeft,   &delayRight,
                                       &feedbackLeft, &feedbackRight};
  return (choice >= 1 && choice <= 10) ? destinations[choice - 1] : nullptr;
}

AudioModule* Engine::ModulationSource(int choice) {
  AudioModule* const sources[] = {&midiGate,    &midiNote, &midiVelocity, &midiModWheel,
                                  &envFollower, &lfoLeft,  &lfoRight};
  return (choice >= 1 && choice <= 7) ? sources[choice - 1] : nullptr;
}

Modulator* Engine::ModulationTarget(int choice) {
  // Choices run in channel pairs in the order of the setup table.
  constexpr int kPairs = static_cast<int>(sizeof kDestinationModulators / sizeof kDestinationModulators[0]);
  if (choice < 1 || choice > 2 * kPairs) return nullptr;
  const ModulatorSetup& pair = kDestinationModulators[(choice - 1) / 2];
  return &(this->*((choice % 2 == 1) ? pair.left : pair.right));
}

AudioModule* Engine::FindModule(const std::string& instanceName) {
  for (AudioModule* module : modulesInResetOrder_)
    if (module->Name() == instanceName) return module;
  for (Modulator* m : modulatorsInTickOrder_)
    if (m->Name() == instanceName) return m;
  return nullptr;
}
