// What a musician hears when something moves while audio plays: no switch
// steps the output (dry/wet, delay length and fine, program change,
// bypass), bypass keeps the tails running, and no feedback loop grows past
// its ceiling.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "effect/BrumeProcessor.h"
#include "effect/DefineParameters.h"
#include "effect/FactoryPresets.h"
#include "effect/ParameterIds.h"
#include "tests/Vst24Reference.h"

namespace {

constexpr double kRate = 44100.0;
constexpr int kBlock = 512;
constexpr double kTwoPi = 6.283185307179586;

int ProgramNamed(const std::string& name) {
  for (int i = 0; i < kFactoryPresetCount; ++i)
    if (FactoryPresetAt(i).name == name) return i;
  ADD_FAILURE() << "no factory program " << name;
  return 0;
}

// The core on a factory program, as the formats drive it, in host blocks.
struct Rig {
  IParameterStore parameters{kParameterCount};
  BrumeProcessor processor{parameters};

  explicit Rig(const std::string& program) {
    DefineParameters(parameters);
    Load(program);
    processor.Prepare(kRate, kBlock);
  }
  void Load(const std::string& program) {
    double values[kParameterCount];
    FactoryPresetValues(ProgramNamed(program), values);
    parameters.SetAll(values);
  }
  // Renders in[from, to) into out (both channels get `in`, out is left).
  void Play(const std::vector<float>& in, std::vector<float>& out, int from, int to) {
    std::vector<float> right(kBlock);
    for (int start = from; start < to; start += kBlock) {
      const int n = std::min(kBlock, to - start);
      const float* inputs[2] = {in.data() + start, in.data() + start};
      float* outputs[2] = {out.data() + start, right.data()};
      processor.Process(inputs, outputs, n, BrumeProcessor::Output::kReplace);
    }
  }
};

// Three notes of a chord at -6 dBFS in all.
std::vector<float> Chord(int frames) {
  std::vector<float> s(static_cast<size_t>(frames));
  for (int i = 0; i < frames; ++i) {
    const double t = i / kRate;
    s[static_cast<size_t>(i)] = static_cast<float>(
        (std::sin(kTwoPi * 220.0 * t) + std::sin(kTwoPi * 277.18 * t) + std::sin(kTwoPi * 329.63 * t)) / 6.0);
  }
  return s;
}

double LargestStep(const std::vector<float>& s, int from, int to) {
  double step = 0.0;
  for (int i = std::max(from, 1); i < to; ++i) step = std::max(step, std::fabs(double(s[i]) - s[i - 1]));
  return step;
}

double Peak(const std::vector<float>& s, int from, int to) {
  double peak = 0.0;
  for (int i = from; i < to; ++i) peak = std::max(peak, std::isfinite(s[i]) ? std::fabs(double(s[i])) : INFINITY);
  return peak;
}

struct SwitchCase {
  const char* what;
  const char* program;
  void (*before)(Rig&);  // settings from the start, or null
  void (*change)(Rig&);
};

void FiveQuarters(Rig& r) {
  r.parameters.SetClamped(kDelayLengthQuarters1, 5);
  r.parameters.SetClamped(kDelayLengthQuarters2, 5);
}

const SwitchCase kSwitches[] = {
    {"dry/wet 100 % -> 10 %", "hp delay", nullptr, [](Rig& r) { r.parameters.SetClamped(kDryWetMix, 10); }},
    {"delay length 5 -> 7 quarters", "hp delay", FiveQuarters,
     [](Rig& r) {
       r.parameters.SetClamped(kDelayLengthQuarters1, 7);
       r.parameters.SetClamped(kDelayLengthQuarters2, 7);
     }},
    {"delay fine 1.00 -> 1.05", "hp delay", FiveQuarters,
     [](Rig& r) {
       r.parameters.SetClamped(kDelayLengthFine1, 1.05);
       r.parameters.SetClamped(kDelayLengthFine2, 1.05);
     }},
    {"program hp delay -> wawawah", "hp delay", nullptr, [](Rig& r) { r.Load("wawawah"); }},
    {"bypass on", "hp delay", nullptr, [](Rig& r) { r.processor.Events().AddBypass(0, true); }},
    {"bypass off", "hp delay", [](Rig& r) { r.processor.Events().AddBypass(0, true); },
     [](Rig& r) { r.processor.Events().AddBypass(0, false); }},
};

}  // namespace

// Two seconds of chord (the echoes ring), the change at a block's start,
// then the largest sample step within 20 ms of it against the largest of
// the steady output before it.
TEST(Switches, NoChangeStepsTheOutputBeyondThreeTimesTheSignalsOwnStep) {
  const int at = 2 * 44100 / kBlock * kBlock;
  const int total = at + 22050;
  const std::vector<float> in = Chord(total);
  for (const SwitchCase& c : kSwitches) {
    Rig rig(c.program);
    if (c.before) c.before(rig);
    std::vector<float> out(static_cast<size_t>(total));
    rig.Play(in, out, 0, at);
    c.change(rig);
    rig.Play(in, out, at, total);
    const double steady = LargestStep(out, at - 13230, at);
    const double after = LargestStep(out, at, at + 882);
    ASSERT_GT(steady, 0.0) << c.what;
    EXPECT_LE(after, 3.0 * steady) << c.what << ": steady step " << steady;
  }
}

// Bypassed, the engine runs on: when bypass ends (and its fade is over) the
// output is exactly what it would have been without the bypass, the echoes
// as far on as the time that passed.
TEST(Switches, BypassKeepsTheTailsRunningAndMidiReachingTheModulators) {
  const int burst = 22050, total = 4 * 44100;
  std::vector<float> in = Chord(total);
  std::fill(in.begin() + burst, in.end(), 0.0f);
  const int on = burst + 2048, off = on + 55296;  // 1.25 s later

  Rig plain("filtered delay"), bypassed("filtered delay");
  std::vector<float> expected(total), out(total);
  plain.Play(in, expected, 0, total);
  bypassed.Play(in, out, 0, on);
  bypassed.processor.Events().AddBypass(0, true);
  bypassed.Play(in, out, on, off);
  EXPECT_TRUE(std::equal(out.begin() + on + 512, out.begin() + off, in.begin() + on + 512)) << "the input while bypassed";
  bypassed.processor.Events().AddBypass(0, false);
  bypassed.Play(in, out, off, total);
  const int faded = off + static_cast<int>(BrumeProcessor::kFadeSeconds * kRate) + 1;
  ASSERT_GT(Peak(expected, faded, faded + 4096), 1e-3) << "echoes still ring";
  EXPECT_TRUE(std::equal(out.begin() + faded, out.end(), expected.begin() + faded));

  // A note off while bypassed closes the gate the note opened.
  Rig gated("filtered delay");
  std::vector<float> silence(kBlock), sink(kBlock);
  const float* inputs[2] = {silence.data(), silence.data()};
  float* outputs[2] = {sink.data(), sink.data()};
  gated.processor.Events().AddMidi(0, 0x90, 60, 100);
  gated.processor.Process(inputs, outputs, kBlock, BrumeProcessor::Output::kReplace);
  EXPECT_EQ(gated.processor.SignalEngine().midiGate.base, 1.0);
  gated.processor.Events().AddBypass(0, true);
  gated.processor.Events().AddMidi(0, 0x80, 60, 0);
  gated.processor.Process(inputs, outputs, kBlock, BrumeProcessor::Output::kReplace);
  EXPECT_EQ(gated.processor.SignalEngine().midiGate.base, 0.0);
  // A block of no frames plays its MIDI all the same.
  gated.processor.Events().AddMidi(5, 0x90, 64, 90);
  gated.processor.Process(inputs, outputs, 0, BrumeProcessor::Output::kReplace);
  EXPECT_EQ(gated.processor.SignalEngine().midiGate.base, 1.0);
}

// "filtered delay" with its loop pushed (feedback 50-100 %, resonance
// 65-99 %): from digital silence and after a -6 dBFS burst the output stays
// within +6 dBFS with soft clip on, +24 dBFS with it off, and finite.
TEST(Switches, FeedbackLoopsSaturateInsteadOfGrowing) {
  const int quiet = 2 * 44100, total = quiet + 3 * 44100;
  std::vector<float> in(total, 0.0f);
  uint32_t seed = 7;
  for (int i = quiet; i < quiet + 4410; ++i) {
    seed = seed * 1664525u + 1013904223u;
    in[i] = static_cast<float>(((seed >> 8) / 8388608.0 - 1.0) * 0.5);
  }
  for (double feedback : {50.0, 75.0, 100.0}) {
    for (double resonance : {65.0, 85.0, 99.0}) {
      for (bool clip : {true, false}) {
        Rig rig("filtered delay");
        for (int index : {kDelayFeedback1, kDelayFeedback2}) rig.parameters.SetClamped(index, feedback);
        for (int index : {kFilterRes1, kFilterRes2}) rig.parameters.SetClamped(index, resonance);
        rig.parameters.SetClamped(kSoftClip, clip ? 1.0 : 0.0);
        std::vector<float> out(total);
        rig.Play(in, out, 0, total);
        const double limit = clip ? 2.0 : 15.85;
        EXPECT_LE(Peak(out, 0, quiet), limit) << feedback << " % / " << resonance << " %, silence, clip " << clip;
        EXPECT_LE(Peak(out, quiet, total), limit) << feedback << " % / " << resonance << " %, burst, clip " << clip;
      }
    }
  }
}

// VST 2.4 hosts switch the same bypass through effSetBypass.
TEST(Switches, Vst24SoftBypassCrossfadesToTheInput) {
  Kestrel effect(&ReferenceHost, nullptr);
  StartReference(effect, ProgramValues<double>(ProgramNamed("hp delay")), kRate);
  AEffect* e = effect.Effect();
  ASSERT_EQ(e->dispatcher(e, effCanDo, 0, 0, const_cast<char*>("bypass"), 0.0f), 1);
  const std::vector<float> in = Chord(4 * kBlock);
  std::vector<float> out(in.size());
  auto play = [&](int block) {
    float* inputs[2] = {const_cast<float*>(&in[block * kBlock]), const_cast<float*>(&in[block * kBlock])};
    float* outputs[2] = {&out[block * kBlock], &out[block * kBlock]};
    e->processReplacing(e, inputs, outputs, kBlock);
  };
  play(0);
  EXPECT_EQ(e->dispatcher(e, effSetBypass, 0, 1, nullptr, 0.0f), 1);
  for (int block = 1; block < 4; ++block) play(block);
  const int faded = kBlock + static_cast<int>(BrumeProcessor::kFadeSeconds * kRate);
  EXPECT_NE(out[kBlock + 100], in[kBlock + 100]) << "mid-fade";
  EXPECT_TRUE(std::equal(out.begin() + faded, out.end(), in.begin() + faded));
}
