#pragma once
#include <cmath>
#include <cstring>
#include <vector>

#include "engine/DenormalGuard.h"
#include "engine/Engine.h"
#include "engine/SoftClip.h"

// The sample loop in its plainest form, frame by frame through each
// module's own Process, as the oracle for the engine's fast loop: run it on
// a second Engine set up identically and both must agree to the bit.
namespace engine_test {

class ReferenceLoop {
 public:
  void Reset(Engine& e, double rate) {
    if (e.Reset(rate)) counter_ = 0;
  }

  void Process(Engine& e, const double* const* in, double* const* out, int frames, double hostTempo,
               IMidiEventQueue& midi) {
    const double tempo = (hostTempo == 0.0 || !Finite(hostTempo)) ? 120.0 : hostTempo;
    e.delayLeft.SetTempo(tempo);
    e.delayRight.SetTempo(tempo);
    DenormalGuard flushDenormals;  // as the engine's Process
    if (frames > 0) e.BeginBlock();
    const std::vector<Modulator*> modulators = Modulators(e);
    for (int i = 0; i < frames; ++i) {
      const double inL = in[0][i], inR = in[1][i];
      const double tapL = Sane(inL) ? inL : 0.0, tapR = Sane(inR) ? inR : 0.0;
      while (!midi.Empty() && midi.Peek().offset <= i) {
        e.ApplyMidiMessage(midi.Peek());
        midi.Advance();
      }
      e.lfoLeft.Process();
      e.lfoRight.Process();
      e.envFollower.Detect(tapL, tapR, e.envelopeInputGain);
      if (counter_ >= e.ControlRate()) {
        counter_ = 0;
        ControlTick(e, modulators);
      }
      ++counter_;
      e.inLeft.output = tapL;
      e.inRight.output = tapR;
      for (AudioModule* m : {static_cast<AudioModule*>(&e.delayLeft), static_cast<AudioModule*>(&e.delayRight),
                             static_cast<AudioModule*>(&e.crusherLeft), static_cast<AudioModule*>(&e.crusherRight),
                             static_cast<AudioModule*>(&e.filterLeft), static_cast<AudioModule*>(&e.filterRight),
                             static_cast<AudioModule*>(&e.feedbackLeft), static_cast<AudioModule*>(&e.feedbackRight)})
        m->Process();
      e.delayLeft.Inject(e.feedbackLeft.output);
      e.delayRight.Inject(e.feedbackRight.output);
      e.delayLeft.Advance();
      e.delayRight.Advance();
      e.masterLeft.Process();
      e.masterRight.Process();
      e.panLeft.Split(e.masterLeft.output);
      e.panRight.Split(e.masterRight.output);
      double wetL = e.panRight.leftPart + e.panLeft.leftPart;
      double wetR = e.panRight.rightPart + e.panLeft.rightPart;
      if (e.softClip) {
        wetL = SoftClip(wetL);
        wetR = SoftClip(wetR);
      } else {
        wetL = Engine::LimitWet(wetL);
        wetR = Engine::LimitWet(wetR);
      }
      if (!Finite(wetL)) wetL = 0.0;
      if (!Finite(wetR)) wetR = 0.0;
      const double mix = e.NextMix();
      out[0][i] = (1.0 - mix) * inL + mix * wetL;
      out[1][i] = (1.0 - mix) * inR + mix * wetR;
    }
    while (frames > 0 && !midi.Empty() && midi.Peek().offset <= frames - 1) {
      e.ApplyMidiMessage(midi.Peek());
      midi.Advance();
    }
    if (frames > 0) Recover(e, modulators);
  }

  int Counter() const { return counter_; }

  // Every value of every module and modulator that processing can change,
  // the delay lines unless left out, and the control counter, in a fixed
  // order; compare snapshots by bytes.
  static std::vector<double> Snapshot(const Engine& e, int controlCounter, bool withLines = true) {
    std::vector<double> s;
    auto put = [&s](std::initializer_list<double> values) { s.insert(s.end(), values); };
    for (const AudioModule* m : {static_cast<const AudioModule*>(&e.inLeft), static_cast<const AudioModule*>(&e.inRight),
                                 static_cast<const AudioModule*>(&e.feedbackLeft),
                                 static_cast<const AudioModule*>(&e.feedbackRight)})
      put({m->output});
    for (const BitCrusher* c : {&e.crusherLeft, &e.crusherRight}) put({c->output, c->bits, c->levels, c->rate, c->phase});
    for (const StateVariableFilter* f : {&e.filterLeft, &e.filterRight})
      put({f->output, f->cutoff, f->resonance, f->coefficient, f->damping, f->response[0], f->response[1],
           f->response[2], f->response[3], f->shape, f->shapeFraction, double(f->shapeUpper), double(f->shapeLower)});
    for (const Pan* p : {&e.panLeft, &e.panRight}) put({p->position, p->leftPart, p->rightPart});
    for (const Gain* g : {&e.masterLeft, &e.masterRight}) put({g->output, g->gain});
    for (const Delay* d : {&e.delayLeft, &e.delayRight}) {
      put({d->output, d->tempo, d->fine, d->feedback, d->delaySamples, double(d->length), double(d->quarters),
           double(d->writeIndex)});
      for (int k = 0; withLines && k < d->length; ++k) s.push_back(d->LineSample(k));
    }
    for (const LFO* l : {&e.lfoLeft, &e.lfoRight})
      put({l->output, l->phase, l->increment, l->shape, l->shapeFraction, l->rate, l->phaseOffset,
           double(l->shapeUpper), double(l->shapeLower)});
    put({e.envFollower.output, e.envFollower.envelope, double(controlCounter), double(e.ControlRate())});
    for (const Modulator* m : Modulators(const_cast<Engine&>(e))) {
      put({m->output, m->base, m->smoothed});
    }
    return s;
  }

  // Index of the first value whose bits differ, or -1.
  static long FirstDifference(const std::vector<double>& a, const std::vector<double>& b) {
    if (a.size() != b.size()) return 0;
    for (size_t k = 0; k < a.size(); ++k)
      if (std::memcmp(&a[k], &b[k], sizeof(double)) != 0) return static_cast<long>(k);
    return -1;
  }

 private:
  static constexpr const char* kModulatorNames[28] = {
      "midi_gate_mod",         "midi_note_mod",         "midi_velo_mod",        "midi_modwhhel_left",
      "panmod_left",           "panmod_right",          "master_mod_left",      "master_mod_right",
      "delaytime_mod_left",    "delaytime_mod_right",   "delayFb_mod_left",     "delayFb_mod_right",
      "filterfreq_mod_left",   "filter_mod_right",      "filtershape_mod_left", "filter_shape_right",
      "filterres_mod_left",    "filterres_mod_right",   "crusher_bits_mod_left", "crusher_bits_mod_right",
      "crusher_rate_mod_left", "crusher_rate_mod_right", "lfo_ratemod_left",    "lfo_ratemod_right",
      "lfo_shapemod_left",     "lfo_sjapemod_right",    "lfo_phasemod_left",    "lfo_phasemod_right"};

  static bool Finite(double v) { return std::fabs(v) <= 1.7976931348623157e308; }
  static bool Sane(double v) { return std::fabs(v) <= Engine::kRunawayLevel; }

  static std::vector<Modulator*> Modulators(Engine& e) {
    std::vector<Modulator*> list;
    for (const char* name : kModulatorNames) list.push_back(static_cast<Modulator*>(e.FindModule(name)));
    return list;
  }

  static void ControlTick(Engine& e, const std::vector<Modulator*>& modulators) {
    for (Modulator* m : modulators) m->Process();
    e.panLeft.position = e.panModLeft.output;
    e.panRight.position = e.panModRight.output;
    e.masterLeft.gain = e.masterModLeft.output;
    e.masterRight.gain = e.masterModRight.output;
    e.delayLeft.SetFine(e.delayTimeModLeft.output);
    e.delayRight.SetFine(e.delayTimeModRight.output);
    e.delayLeft.feedback = e.delayFeedbackModLeft.output;
    e.delayRight.feedback = e.delayFeedbackModRight.output;
    e.filterLeft.SetCutoff(e.filterFreqModLeft.output);
    e.filterRight.SetCutoff(e.filterFreqModRight.output);
    e.filterLeft.SetShape(e.filterShapeModLeft.output);
    e.filterRight.SetShape(e.filterShapeModRight.output);
    e.filterLeft.SetResonance(e.filterResModLeft.output);
    e.filterRight.SetResonance(e.filterResModRight.output);
    e.crusherLeft.SetBits(e.crusherBitsModLeft.output);
    e.crusherRight.SetBits(e.crusherBitsModRight.output);
    e.crusherLeft.SetRate(e.crusherRateModLeft.output);
    e.crusherRight.SetRate(e.crusherRateModRight.output);
    e.lfoLeft.phaseOffset = e.lfoPhaseModLeft.output;
    e.lfoRight.phaseOffset = e.lfoPhaseModRight.output;
    e.lfoLeft.SetRate(e.lfoRateModLeft.output);
    e.lfoRight.SetRate(e.lfoRateModRight.output);
    e.lfoLeft.SetShape(e.lfoShapeModLeft.output);
    e.lfoRight.SetShape(e.lfoShapeModRight.output);
  }

  // What the engine does after a block whose routing overflowed or ran away.
  static void Recover(Engine& e, const std::vector<Modulator*>& modulators) {
    AudioModule* const signal[] = {&e.crusherLeft, &e.crusherRight, &e.filterLeft,   &e.filterRight,  &e.delayLeft,
                                   &e.delayRight,  &e.feedbackLeft, &e.feedbackRight, &e.masterLeft, &e.masterRight};
    bool sane = true;
    for (const AudioModule* m : signal) sane = sane && Sane(m->output);
    for (const StateVariableFilter* f : {&e.filterLeft, &e.filterRight})
      for (double r : f->response) sane = sane && Sane(r);
    if (!sane) {
      e.filterLeft.ClearState();
      e.filterRight.ClearState();
      e.delayLeft.ClearLine();
      e.delayRight.ClearLine();
      for (AudioModule* m : signal) m->output = 0.0;
    }
    if (!Finite(e.envFollower.envelope)) e.envFollower.ClearEnvelope();
    for (Modulator* m : modulators) {
      if (!Finite(m->smoothed) || !Finite(m->output)) {
        m->smoothed = Finite(m->base) ? m->base : 0.0;
        m->output = 0.0;
      }
    }
  }

  int counter_ = 0;
};

}  // namespace engine_test
