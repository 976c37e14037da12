#include "engine/Engine.h"

#include <cmath>
#include <cstring>

#include "engine/DenormalGuard.h"
#include "engine/Inline.h"
#include "engine/LineLimit.h"
#include "engine/SoftClip.h"
#include "framework/SampleRateRange.h"

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

constexpr int kControlRates[] = {1, 4, 8, 16, 32, Engine::kMaxControlRate};

bool IsFinite(double v) { return std::fabs(v) <= 1.7976931348623157e308; }
// False for NaN too.
bool WithinRunawayLevel(double v) { return std::fabs(v) <= Engine::kRunawayLevel; }

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
  KeepStartTargets();
}

bool Engine::Reset(double sampleRate) {
  if (!IsSupportedSampleRate(sampleRate)) return false;
  sampleRate_ = sampleRate;
  controlCounter_ = 0;
  running_ = false;
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
  // A new fine factor arrives once per control period: the delays glide
  // over one period to it.
  delayLeft.SetGlideFrames(controlRate_);
  delayRight.SetGlideFrames(controlRate_);
}

void Engine::Settle() {
  mix_.Settle(dryWetMix);
  delayLeft.Settle();
  delayRight.Settle();
}

void Engine::BeginBlock() {
  if (!running_) {
    Settle();
    running_ = true;
    delayLeft.Start();
    delayRight.Start();
    return;
  }
  if (!BitEqual(dryWetMix, mix_.target)) mix_.Start(dryWetMix, static_cast<int>(kMixRampSeconds * sampleRate_));
}

double Engine::NextMix() { return mix_.Next(); }

double Engine::LimitWet(double v) { return SoftCeiling(v, kWetKnee, kWetCeiling); }

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

namespace {

// The control tick's writes, in their order: each modulator's output into
// its module, and whether the module already holds what the write would
// leave (for the setters that skip an unchanged value, the same test).
struct TickWrite {
  Modulator Engine::*modulator;
  void (*write)(Engine&);
  bool (*holds)(const Engine&);
  double (*target)(const Engine&);  // the module's value the write sets
};

#define KESTREL_FIELD_WRITE(mod, field)                                  \
  TickWrite {                                                            \
    &Engine::mod, [](Engine& e) { e.field = e.mod.output; },             \
        [](const Engine& e) { return BitEqual(e.field, e.mod.output); },     \
        [](const Engine& e) { return e.field; }                          \
  }
#define KESTREL_SETTER_WRITE(mod, module, setter, field)                          \
  TickWrite {                                                                     \
    &Engine::mod, [](Engine& e) { e.module.setter(e.mod.output); },               \
        [](const Engine& e) { return e.mod.output == e.module.field; },           \
        [](const Engine& e) { return e.module.field; }                            \
  }
// SetResonance keeps damping = 2 - 2 x resonance and always writes both.
#define KESTREL_RESONANCE_WRITE(mod, module)                                                            \
  TickWrite {                                                                                            \
    &Engine::mod, [](Engine& e) { e.module.SetResonance(e.mod.output); }, [](const Engine& e) {          \
      return BitEqual(e.module.resonance, e.mod.output) && BitEqual(e.module.damping, 2.0 - 2.0 * e.mod.output); \
    }, [](const Engine& e) { return e.module.resonance; }                                                \
  }

const TickWrite kTickWrites[] = {
    KESTREL_FIELD_WRITE(panModLeft, panLeft.position),
    KESTREL_FIELD_WRITE(panModRight, panRight.position),
    KESTREL_FIELD_WRITE(masterModLeft, masterLeft.gain),
    KESTREL_FIELD_WRITE(masterModRight, masterRight.gain),
    // SetFine recomputes delaySamples from fine and the delay's own
    // settings, which every other delay setter keeps in step already.
    {&Engine::delayTimeModLeft, [](Engine& e) { e.delayLeft.SetFine(e.delayTimeModLeft.output); },
     [](const Engine& e) { return BitEqual(e.delayLeft.fine, e.delayTimeModLeft.output); },
     [](const Engine& e) { return e.delayLeft.fine; }},
    {&Engine::delayTimeModRight, [](Engine& e) { e.delayRight.SetFine(e.delayTimeModRight.output); },
     [](const Engine& e) { return BitEqual(e.delayRight.fine, e.delayTimeModRight.output); },
     [](const Engine& e) { return e.delayRight.fine; }},
    KESTREL_FIELD_WRITE(delayFeedbackModLeft, delayLeft.feedback),
    KESTREL_FIELD_WRITE(delayFeedbackModRight, delayRight.feedback),
    KESTREL_SETTER_WRITE(filterFreqModLeft, filterLeft, SetCutoff, cutoff),
    KESTREL_SETTER_WRITE(filterFreqModRight, filterRight, SetCutoff, cutoff),
    KESTREL_SETTER_WRITE(filterShapeModLeft, filterLeft, SetShape, shape),
    KESTREL_SETTER_WRITE(filterShapeModRight, filterRight, SetShape, shape),
    KESTREL_RESONANCE_WRITE(filterResModLeft, filterLeft),
    KESTREL_RESONANCE_WRITE(filterResModRight, filterRight),
    KESTREL_SETTER_WRITE(crusherBitsModLeft, crusherLeft, SetBits, bits),
    KESTREL_SETTER_WRITE(crusherBitsModRight, crusherRight, SetBits, bits),
    KESTREL_FIELD_WRITE(crusherRateModLeft, crusherLeft.rate),
    KESTREL_FIELD_WRITE(crusherRateModRight, crusherRight.rate),
    KESTREL_FIELD_WRITE(lfoPhaseModLeft, lfoLeft.phaseOffset),
    KESTREL_FIELD_WRITE(lfoPhaseModRight, lfoRight.phaseOffset),
    KESTREL_SETTER_WRITE(lfoRateModLeft, lfoLeft, SetRate, rate),
    KESTREL_SETTER_WRITE(lfoRateModRight, lfoRight, SetRate, rate),
    KESTREL_SETTER_WRITE(lfoShapeModLeft, lfoLeft, SetShape, shape),
    KESTREL_SETTER_WRITE(lfoShapeModRight, lfoRight, SetShape, shape),
};
static_assert(sizeof kTickWrites / sizeof kTickWrites[0] == Engine::kModulatorCount - 4, "one write per target");

#undef KESTREL_FIELD_WRITE
#undef KESTREL_SETTER_WRITE
#undef KESTREL_RESONANCE_WRITE

}  // namespace

// After the table: construction keeps the targets, a history clear puts
// them back through the same writes (so derived fields follow).
void Engine::KeepStartTargets() {
  for (size_t w = 0; w < startTargets_.size(); ++w) startTargets_[w] = kTickWrites[w].target(*this);
}

void Engine::ClearHistory() {
  Reset(sampleRate_);  // the engine no longer plays: settings hold at once
  for (size_t w = 0; w < startTargets_.size(); ++w) {
    (this->*kTickWrites[w].modulator).output = startTargets_[w];
    kTickWrites[w].write(*this);
  }
  for (Modulator* m : modulatorsInTickOrder_) m->Restart();
  for (Modulator* source : {&midiGate, &midiNote, &midiVelocity, &midiModWheel}) source->base = 0.0;
  for (AudioModule* module : modulesInResetOrder_) module->output = 0.0;
  for (Delay* delay : {&delayLeft, &delayRight}) {
    delay->ClearLine();
    delay->writeIndex = 0;
  }
  for (BitCrusher* crusher : {&crusherLeft, &crusherRight}) crusher->phase = 0.0;
  for (Pan* pan : {&panLeft, &panRight}) pan->leftPart = pan->rightPart = 0.0;
}

// A destination modulator that has settled, and whose module already holds
// its output, would change nothing at any tick of the block (its base and
// range change only between blocks): the block's ticks leave it out. So do
// settled MIDI sources while no message is queued.
void Engine::PlanControlTicks(int midiQueued) {
  bool quiet[kModulatorCount] = {};
  writeCount_ = 0;
  for (int w = 0; w < kModulatorCount - 4; ++w) {
    const Modulator& m = this->*kTickWrites[w].modulator;
    if (m.Settled() && kTickWrites[w].holds(*this)) {
      for (int k = 4; k < kModulatorCount; ++k) quiet[k] = quiet[k] || modulatorsInTickOrder_[k] == &m;
    } else {
      writes_[writeCount_++] = static_cast<int8_t>(w);
    }
  }
  // The MIDI sources' bases change only when a message is applied.
  for (int k = 0; k < 4; ++k) quiet[k] = midiQueued == 0 && modulatorsInTickOrder_[k]->Settled();
  stepCount_ = 0;
  for (int k = 0; k < kModulatorCount; ++k)
    if (!quiet[k]) steps_[stepCount_++] = modulatorsInTickOrder_[k];
}

void Engine::ControlTickAt(int frame, IMidiEventQueue& midi) {
  ApplyDueMidi(midi, frame);
  ControlTick();
  controlCounter_ = 1;  // the tick frame is the first of the next period
}

void Engine::ControlTick() {
  for (int k = 0; k < stepCount_; ++k) steps_[k]->Step();
  for (int k = 0; k < writeCount_; ++k) kTickWrites[writes_[k]].write(*this);
}

namespace {
// An input sample beyond the runaway level (or not finite) reaches no
// state: taps and detector see 0. The dry path still carries the sample as
// it came.
inline double Tap(double sample) { return WithinRunawayLevel(sample) ? sample : 0.0; }
}  // namespace

KESTREL_HOT_INLINE void Engine::ProcessAudioFrame(double inL, double inR, double& outL, double& outR) {
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
  } else {
    wetL = LimitWet(wetL);
    wetR = LimitWet(wetR);
  }
  // An overflowing routing loop must not hand the host inf or NaN; the
  // state that produced it is cleared at the end of the block.
  if (!IsFinite(wetL)) wetL = 0.0;
  if (!IsFinite(wetR)) wetR = 0.0;

  const double wet = mix_.Next();
  const double dry = 1.0 - wet;
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
// that end on a control-tick frame, with the MIDI messages due by the tick
// frame applied just before the tick; the LFOs read their tables only on a
// segment's last frame, whose values are left in their outputs. Both loops
// below work this way and give the results of the frame-by-frame order:
// the planned loop (FastLoop.cpp) for every routing it can pair, the
// module-by-module loop for the rest.
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
  BeginBlock();
  UpdatePlan();
  PlanControlTicks(midi.Pending());
  if (plan_.paired && delayLeft.HasLine() && delayRight.HasLine())
    ProcessPlanned(inL, inR, outL, outR, frames, midi);
  else
    ProcessModules(inL, inR, outL, outR, frames, midi);
  ApplyDueMidi(midi, frames - 1);
  RecoverRunawayState();
}

Engine::Segment Engine::NextSegment(int start, int frames) const {
  // The counter grows by one per frame; the tick falls on the first frame
  // that starts with the counter at or above the rate.
  const int untilTick = controlRate_ - controlCounter_;
  Segment segment;
  segment.tickFrame = start + (untilTick > 0 ? untilTick : 0);
  segment.ticks = segment.tickFrame < frames;
  segment.audioEnd = segment.ticks ? segment.tickFrame : frames;
  segment.end = segment.ticks ? segment.tickFrame + 1 : frames;
  return segment;
}

void Engine::ProcessModules(const double* inL, const double* inR, double* outL, double* outR, int frames,
                            IMidiEventQueue& midi) {
  const double gain = envelopeInputGain;
  int start = 0;
  while (start < frames) {
    const Segment segment = NextSegment(start, frames);

    // LFO and envelope ticks first, in tight loops: less work interleaved
    // with the filters' dependency chains.
    for (int i = start; i < segment.end - 1; ++i) {
      lfoLeft.AdvancePhase();
      lfoRight.AdvancePhase();
    }
    lfoLeft.Process();
    lfoRight.Process();
    for (int i = start; i < segment.end; ++i) envFollower.Detect(Tap(inL[i]), Tap(inR[i]), gain);

    // Each frame's inputs are read before its outputs are written, so the
    // buffers may be the same memory.
    for (int i = start; i < segment.audioEnd; ++i) ProcessAudioFrame(inL[i], inR[i], outL[i], outR[i]);
    controlCounter_ += segment.audioEnd - start;

    if (segment.ticks) {
      ControlTickAt(segment.tickFrame, midi);
      const int t = segment.tickFrame;
      ProcessAudioFrame(inL[t], inR[t], outL[t], outR[t]);
    }
    start = segment.end;
  }
}

void Engine::RecoverRunawayState() {
  // One runaway value stands for the whole loop it circulates in, and the
  // loop may run through the other channel's modules: everything that holds
  // signal is cleared together. The lines are cleared only here, never by a
  // processing reset.
  StateVariableFilter* const filters[] = {&filterLeft, &filterRight};
  Delay* const delays[] = {&delayLeft, &delayRight};
  AudioModule* const outputs[] = {&crusherLeft, &crusherRight, &filterLeft, &filterRight, &delayLeft,
                                  &delayRight,  &feedbackLeft, &feedbackRight, &masterLeft, &masterRight};
  bool runaway = false;
  for (const StateVariableFilter* filter : filters)
    for (double r : filter->response) runaway = runaway || !WithinRunawayLevel(r);
  for (const AudioModule* module : outputs) runaway = runaway || !WithinRunawayLevel(module->output);
  if (runaway) {
    for (StateVariableFilter* filter : filters) filter->ClearState();
    for (Delay* delay : delays) delay->ClearLine();
    for (AudioModule* module : outputs) module->output = 0.0;
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
