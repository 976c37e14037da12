#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <set>
#include <vector>

#include "engine/Engine.h"
#include "tests/engine/EngineTestSupport.h"

namespace {

using namespace engine_test;

class EngineLoop : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(e.Reset(44100.0));
    ApplyDefaultBases(e);
    e.softClip = false;
  }
  // Left input constant `value`, right silent.
  static StereoBuffer LeftConstant(int frames, double value) {
    StereoBuffer in(frames);
    for (double& v : in.left) v = value;
    return in;
  }
  static StereoBuffer LeftImpulse(int frames, int at = 0) {
    StereoBuffer in(frames);
    in.left[at] = 1.0;
    return in;
  }
  std::unique_ptr<Engine> engine = std::make_unique<Engine>();
  Engine& e = *engine;
};

TEST_F(EngineLoop, InstancesCarryTheirNamesAndRanges) {
  for (const char* name : {"in_left", "in_right", "crusher_left", "crusher_right", "filter_left", "filter_right",
                           "pan_left", "pan_right", "delay_left", "delay_right", "feedback_left", "feedback_right",
                           "lfo_left", "lfo_right", "env_follower", "master_left", "master_right", "midi_gate_mod",
                           "midi_note_mod", "midi_velo_mod", "midi_modwhhel_left", "filter_mod_right",
                           "filter_shape_right", "lfo_sjapemod_right", "delayFb_mod_left"}) {
    ASSERT_NE(e.FindModule(name), nullptr) << name;
    EXPECT_EQ(e.FindModule(name)->Name(), name);
  }
  EXPECT_EQ(e.FindModule("no_name"), nullptr);
  struct Range {
    int target;
    const char* name;
    double minimum, maximum;
  };
  for (const Range& r : {Range{1, "panmod_left", 0, 1}, Range{4, "master_mod_right", 0, 1},
                         Range{5, "delaytime_mod_left", 0.5, 2}, Range{8, "delayFb_mod_right", 0, 1},
                         Range{10, "filter_mod_right", 50, 18000}, Range{11, "filterres_mod_left", 0, 0.99},
                         Range{14, "filter_shape_right", 0, 1}, Range{15, "crusher_bits_mod_left", 1, 64},
                         Range{18, "crusher_rate_mod_right", 0.01, 1}, Range{19, "lfo_ratemod_left", 0.01, 100},
                         Range{22, "lfo_sjapemod_right", 0, 1}, Range{24, "lfo_phasemod_right", 0, 1}}) {
    Modulator* m = e.ModulationTarget(r.target);
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(m->Name(), r.name);
    EXPECT_EQ(m->minimum, r.minimum) << r.name;
    EXPECT_EQ(m->maximum, r.maximum) << r.name;
  }
  EXPECT_EQ(e.midiModWheel.maximum, 1.0);
}

TEST_F(EngineLoop, MatrixChoicesAddressTheirModules) {
  EXPECT_EQ(e.AudioSource(0), nullptr);
  EXPECT_EQ(e.AudioSource(1), &e.inLeft);
  EXPECT_EQ(e.AudioSource(8), &e.delayRight);
  EXPECT_EQ(e.AudioSource(9), nullptr);
  EXPECT_EQ(e.AudioDestination(1), &e.masterLeft);
  EXPECT_EQ(e.AudioDestination(2), &e.masterRight);
  EXPECT_EQ(e.AudioDestination(5), &e.filterLeft);
  EXPECT_EQ(e.AudioDestination(10), &e.feedbackRight);
  EXPECT_EQ(e.AudioDestination(11), nullptr);
  EXPECT_EQ(e.ModulationSource(4), &e.midiModWheel);
  EXPECT_EQ(e.ModulationSource(5), &e.envFollower);
  EXPECT_EQ(e.ModulationSource(7), &e.lfoRight);
  EXPECT_EQ(e.ModulationSource(8), nullptr);
  EXPECT_EQ(e.ModulationTarget(0), nullptr);
  EXPECT_EQ(e.ModulationTarget(13), &e.filterShapeModLeft);
  EXPECT_EQ(e.ModulationTarget(23), &e.lfoPhaseModLeft);
  EXPECT_EQ(e.ModulationTarget(25), nullptr);
  for (int k = 0; k < Engine::kMatrixRows; ++k) {
    EXPECT_EQ(e.audioMatrix[k].Slot(), k);
    EXPECT_EQ(e.audioMatrix[k].Amount(), 0.0);
    EXPECT_EQ(e.modulationMatrix[k].Slot(), k);
  }
}

TEST_F(EngineLoop, WithoutRoutingOnlyTheDryPartRemains) {
  e.dryWetMix = 0.3;
  e.softClip = true;
  StereoBuffer in(300), out(300);
  for (int i = 0; i < 300; ++i) {
    in.left[i] = 0.01 * i - 1.0;
    in.right[i] = 0.5 - 0.002 * i;
  }
  ProcessInBlocks(e, in, out, 64);
  for (int i = 0; i < 300; ++i) {
    ASSERT_EQ(out.left[i], (1.0 - 0.3) * in.left[i]) << i;
    ASSERT_EQ(out.right[i], (1.0 - 0.3) * in.right[i]) << i;
  }
}

TEST_F(EngineLoop, MixZeroPassesTheInputAndMixOneGivesTheWetAlone) {
  Route(e, 0, kIn1, kOut1, 1.0);
  SettleModulators(e);
  StereoBuffer in(100), out(100);
  for (int i = 0; i < 100; ++i) in.left[i] = in.right[i] = 0.37 - 0.011 * i;
  e.dryWetMix = 0.0;
  ProcessInBlocks(e, in, out, 100);
  EXPECT_EQ(out.left, in.left);
  EXPECT_EQ(out.right, in.right);

  e.dryWetMix = 1.0;
  e.Settle();  // at once, not as a ramp
  ProcessInBlocks(e, in, out, 100);
  // Left input goes through master 1 at gain 1 and pan 1 hard left.
  EXPECT_EQ(out.left, in.left);
  for (double v : out.right) EXPECT_EQ(v, 0.0);
}

TEST_F(EngineLoop, SoftClipShapesTheWetSignal) {
  Route(e, 0, kIn1, kOut1, 1.0);
  SettleModulators(e);
  e.dryWetMix = 1.0;
  e.softClip = true;
  StereoBuffer in(64), out(64);
  for (int i = 0; i < 64; ++i) in.left[i] = (i % 2) ? 3.0 : 1.0;
  ProcessInBlocks(e, in, out, 64);
  for (int i = 17; i < 64; ++i) EXPECT_EQ(out.left[i], (i % 2) ? 1.0 : SoftClip(1.0)) << i;
  for (int i = 0; i < 64; i += 7) in.left[i] = -3.0;
  ProcessInBlocks(e, in, out, 64);
  for (int i = 0; i < 64; i += 7) EXPECT_EQ(out.left[i], -1.0) << i;
}

TEST_F(EngineLoop, MastersPanHardRightUntilTheFirstControlTick) {
  Route(e, 0, kIn1, kOut1, 1.0);
  SettleModulators(e);
  e.dryWetMix = 1.0;
  StereoBuffer in = LeftConstant(40, 1.0), out(40);
  ProcessInBlocks(e, in, out, 40);
  for (int i = 0; i < 16; ++i) {
    EXPECT_EQ(out.left[i], 0.0) << i;
    EXPECT_EQ(out.right[i], 1.0) << i;
  }
  for (int i = 16; i < 40; ++i) {
    EXPECT_EQ(out.left[i], 1.0) << i;
    EXPECT_EQ(out.right[i], 0.0) << i;
  }
}

// The pan of master 1 glides from 1 towards 0 one step per control tick, so
// the left output changes exactly on control-tick samples.
std::vector<int> ControlTickFrames(Engine& e, int blockSize, int frames) {
  StereoBuffer in(frames), out(frames);
  for (double& v : in.left) v = 1.0;
  ProcessInBlocks(e, in, out, blockSize);
  std::vector<int> changes;
  for (int i = 1; i < frames; ++i)
    if (out.left[i] != out.left[i - 1]) changes.push_back(i);
  return changes;
}

void PrepareGlidingPan(Engine& e) {
  Route(e, 0, kIn1, kOut1, 1.0);
  SettleModulators(e);
  e.panModLeft.base = 0.0;
  e.panModLeft.smoothed = 1.0;
  e.dryWetMix = 1.0;
}

TEST_F(EngineLoop, ControlTicksFallOnMultiplesOfTheRateWhateverTheBlockSize) {
  std::vector<int> expected;
  for (int i = 16; i < 200; i += 16) expected.push_back(i);
  for (int blockSize : {1, 7, 16, 64, 200}) {
    Engine fresh;
    fresh.Reset(44100.0);
    ApplyDefaultBases(fresh);
    PrepareGlidingPan(fresh);
    EXPECT_EQ(ControlTickFrames(fresh, blockSize, 200), expected) << "block " << blockSize;
  }
}

TEST_F(EngineLoop, ControlRateOneTicksEverySampleAfterTheFirst) {
  PrepareGlidingPan(e);
  e.SetControlRateChoice(0);
  EXPECT_EQ(e.ControlRate(), 1);
  std::vector<int> expected;
  for (int i = 1; i < 50; ++i) expected.push_back(i);
  EXPECT_EQ(ControlTickFrames(e, 13, 50), expected);
}

TEST_F(EngineLoop, ControlRateChoiceSetsModulatorRatesAndKeepsTheCounter) {
  const int rates[] = {1, 4, 8, 16, 32, 64};
  for (int choice = 0; choice < 6; ++choice) {
    e.SetControlRateChoice(choice);
    EXPECT_EQ(e.ControlRate(), rates[choice]);
    EXPECT_EQ(e.panModLeft.sampleRate, 44100.0 / rates[choice]);
    EXPECT_EQ(e.midiGate.sampleRate, 44100.0 / rates[choice]);
  }
  e.SetControlRateChoice(6);
  EXPECT_EQ(e.ControlRate(), 64);
  e.SetControlRateChoice(-1);
  EXPECT_EQ(e.ControlRate(), 64);

  // Counter at 40 when the rate drops to 16: the very next sample ticks.
  PrepareGlidingPan(e);
  StereoBuffer in = LeftConstant(40, 1.0), out(40);
  ProcessInBlocks(e, in, out, 40);
  EXPECT_EQ(e.ControlCounter(), 40);
  e.SetControlRateChoice(3);
  EXPECT_EQ(e.ControlCounter(), 40);
  StereoBuffer in2 = LeftConstant(3, 1.0), out2(3);
  ProcessInBlocks(e, in2, out2, 3);
  EXPECT_EQ(e.ControlCounter(), 3);
  EXPECT_EQ(e.panModLeft.smoothed, 0.9900000095367432);
}

TEST_F(EngineLoop, MidiActsAtItsFrameOffset) {
  PrepareGlidingPan(e);
  e.panModLeft.smoothed = 0.0;
  Modulate(e, 0, kMidiGate, 1, 1.0);  // gate opens pan 1 towards the right
  e.SetControlRateChoice(0);
  IMidiEventQueue midi(1024);
  IMidiEvent noteOn;
  noteOn.offset = 10;
  noteOn.status = 0x90;
  noteOn.data1 = 60;
  noteOn.data2 = 100;
  midi.Add(noteOn);
  StereoBuffer in = LeftConstant(32, 1.0), out(32);
  ProcessInBlocks(e, in, out, 32, midi);
  for (int i = 1; i < 10; ++i) EXPECT_EQ(out.left[i], 1.0) << i;
  for (int i = 10; i < 32; ++i) EXPECT_LT(out.left[i], 1.0) << i;
  EXPECT_EQ(e.midiGate.base, 1.0);
  EXPECT_TRUE(midi.Empty());
}

TEST_F(EngineLoop, MidiReachesModulationAtTheNextControlTick) {
  PrepareGlidingPan(e);
  e.panModLeft.smoothed = 0.0;
  Modulate(e, 0, kMidiGate, 1, 1.0);
  IMidiEventQueue midi(1024);
  IMidiEvent noteOn;
  noteOn.offset = 20;
  noteOn.status = 0x90;
  noteOn.data1 = 60;
  noteOn.data2 = 100;
  midi.Add(noteOn);
  StereoBuffer in = LeftConstant(40, 1.0), out(40);
  ProcessInBlocks(e, in, out, 40, midi);
  for (int i = 16; i < 32; ++i) EXPECT_EQ(out.left[i], 1.0) << i;
  EXPECT_LT(out.left[32], 1.0);  // tick 32: gate and pan move in the same tick
  EXPECT_GT(out.left[32], 0.99);
}

TEST_F(EngineLoop, EventBeyondTheBlockWaitsInTheQueue) {
  IMidiEventQueue midi(1024);
  IMidiEvent late;
  late.offset = 20;
  late.status = 0x90;
  late.data1 = 60;
  late.data2 = 100;
  midi.Add(late);
  StereoBuffer in(8), out(8);
  ProcessInBlocks(e, in, out, 8, midi);
  EXPECT_EQ(midi.Pending(), 1);
  EXPECT_EQ(e.midiGate.base, 0.0);
}

TEST_F(EngineLoop, DelayTimeInSamplesFollowsQuartersAndHostTempo) {
  IMidiEventQueue midi(16);
  struct Case {
    double hostTempo;
    int quarters;
    int expectedFrame;
  };
  for (const Case& c : {Case{120.0, 4, 22050}, Case{0.0, 2, 11025}, Case{60.0, 1, 11025}, Case{10.0, 1, 22050}}) {
    Engine fresh;
    PrepareWetOnly(fresh);
    Route(fresh, 0, kIn1, kDelay1Dst, 1.0);
    Route(fresh, 1, kDelay1Src, kOut1, 1.0);
    SettleModulators(fresh);
    fresh.delayLeft.SetQuarters(c.quarters);
    StereoBuffer in = LeftImpulse(30000), out(30000);
    ProcessInBlocks(fresh, in, out, 512, midi, c.hostTempo);
    int first = -1;
    for (int i = 0; i < 30000 && first < 0; ++i)
      if (out.left[i] != 0.0) first = i;
    EXPECT_EQ(first, c.expectedFrame) << "tempo " << c.hostTempo;
  }
}

TEST_F(EngineLoop, HostTempoChangesAtTheBlockBoundary) {
  SettleModulators(e);
  IMidiEventQueue midi(16);
  StereoBuffer in(64), out(64);
  const double* inputs[2] = {in.left.data(), in.right.data()};
  double* outputs[2] = {out.left.data(), out.right.data()};
  e.Process(inputs, outputs, 64, 60.0, midi);
  EXPECT_EQ(e.delayLeft.tempo, 60.0);
  EXPECT_EQ(e.delayRight.delaySamples, 4 * 0.25 * 44100.0 * 1.0);
  e.Process(inputs, outputs, 0, 240.0, midi);  // an empty block still takes the tempo
  EXPECT_EQ(e.delayLeft.tempo, 240.0);
}

// Delays read the previous output of modules ticked after them, feedback
// nodes the current one.
TEST_F(EngineLoop, DelayReadsTheCrusherOneSampleLate) {
  Route(e, 0, kIn1, kCrusher1Dst, 1.0);
  Route(e, 1, kCrusher1Src, kDelay1Dst, 1.0);
  Route(e, 2, kDelay1Src, kOut1, 1.0);
  SettleModulators(e);
  e.panModLeft.smoothed = 0.0;
  e.dryWetMix = 1.0;
  e.delayLeft.SetQuarters(2);
  StereoBuffer in = LeftImpulse(12000), out(12000);
  ProcessInBlocks(e, in, out, 256);
  EXPECT_EQ(out.left[11025], 0.0);
  EXPECT_EQ(out.left[11026], 1.0);
}

TEST_F(EngineLoop, LaterModulesReadTheCurrentOutputEarlierOnesThePrevious) {
  Route(e, 0, kIn1, kDelayFb1, 1.0);         // feedback_left = input
  Route(e, 1, kCrusher1Src, kCrusher2Dst, 1.0);  // crusher_right reads crusher_left now
  Route(e, 2, kCrusher2Src, kCrusher1Dst, 1.0);  // crusher_left reads crusher_right's last tick
  Route(e, 3, kIn1, kCrusher1Dst, 1.0);
  SettleModulators(e);
  IMidiEventQueue midi(16);
  StereoBuffer in = LeftImpulse(3), out(3);
  const double* inputs[2] = {in.left.data(), in.right.data()};
  double* outputs[2] = {out.left.data(), out.right.data()};
  e.Process(inputs, outputs, 1, 120.0, midi);
  EXPECT_EQ(e.crusherLeft.output, 1.0);
  EXPECT_EQ(e.crusherRight.output, 1.0);
  EXPECT_EQ(e.feedbackLeft.output, 1.0);
  inputs[0] += 1;
  e.Process(inputs, outputs, 1, 120.0, midi);
  EXPECT_EQ(e.crusherLeft.output, 1.0);  // input 0 + previous crusher_right 1
  EXPECT_EQ(e.feedbackLeft.output, 0.0);
}

TEST_F(EngineLoop, DelayIntoItselfRepeatsOneSampleLaterThanThroughItsFeedbackNode) {
  auto echoes = [](bool throughFeedbackNode) {
    Engine x;
    PrepareWetOnly(x);
    Route(x, 0, kIn1, kDelay1Dst, 1.0);
    Route(x, 1, kDelay1Src, throughFeedbackNode ? kDelayFb1 : kDelay1Dst, 1.0);
    Route(x, 2, kDelay1Src, kOut1, 1.0);
    x.delayFeedbackModLeft.base = 0.5;
    SettleModulators(x);
    x.delayLeft.SetQuarters(2);  // 11025
    StereoBuffer in(34000), out(34000);
    in.left[0] = 1.0;
    ProcessInBlocks(x, in, out, 1000);
    std::vector<std::pair<int, double>> hits;
    for (int i = 0; i < 34000; ++i)
      if (out.left[i] != 0.0) hits.emplace_back(i, out.left[i]);
    return hits;
  };
  const std::vector<std::pair<int, double>> self = {{11025, 1.0}, {22051, 1.0}, {33077, 1.0}};
  const std::vector<std::pair<int, double>> node = {{11025, 1.0}, {22050, 0.5}, {33075, 0.25}};
  EXPECT_EQ(echoes(false), self);
  EXPECT_EQ(echoes(true), node);
}

TEST_F(EngineLoop, ResetAtTheSameRateKeepsEchoesANewRateSilencesThem) {
  for (double newRate : {44100.0, 48000.0}) {
    Engine x;
    PrepareWetOnly(x);
    Route(x, 0, kIn1, kDelay1Dst, 1.0);
    Route(x, 1, kDelay1Src, kOut1, 1.0);
    SettleModulators(x);
    x.delayLeft.SetQuarters(2);  // 11025 samples at 44.1 kHz, 12000 at 48
    StereoBuffer impulse = LeftImpulse(5000), silence(20000), out(20000);
    ProcessInBlocks(x, impulse, out, 500);
    ASSERT_TRUE(x.Reset(newRate));
    ProcessInBlocks(x, silence, out, 500);
    int echoes = 0;
    for (double v : out.left) echoes += v != 0.0;
    if (newRate == 44100.0) {
      EXPECT_EQ(out.left[11025 - 5000], 1.0);
      EXPECT_EQ(echoes, 1);
    } else {
      EXPECT_EQ(echoes, 0);
    }
  }
}

TEST_F(EngineLoop, ResetClearsFiltersEnvelopeLfoPhaseAndCounterOnly) {
  Route(e, 0, kIn1, kFilter1Dst, 1.0);
  Route(e, 1, kIn1, kCrusher1Dst, 1.0);
  e.crusherRateModLeft.base = 0.3;
  SettleModulators(e);
  IMidiEventQueue midi(16);
  IMidiEvent cc;
  cc.status = 0xB0;
  cc.data1 = 1;
  cc.data2 = 64;
  midi.Add(cc);
  StereoBuffer in = LeftConstant(100, 0.8), out(100);
  ProcessInBlocks(e, in, out, 100, midi);
  const double held = e.crusherLeft.output;
  const double crusherPhase = e.crusherLeft.phase;
  const double smoothedPan = e.panModRight.smoothed;
  ASSERT_NE(e.filterLeft.Low(), 0.0);
  ASSERT_NE(e.envFollower.envelope, 0.0);
  ASSERT_NE(e.lfoLeft.phase, 0.0);
  ASSERT_NE(e.ControlCounter(), 0);
  ASSERT_TRUE(e.Reset(44100.0));
  EXPECT_EQ(e.filterLeft.Low(), 0.0);
  EXPECT_EQ(e.filterLeft.Band(), 0.0);
  EXPECT_EQ(e.filterLeft.Notch(), 0.0);
  EXPECT_EQ(e.filterLeft.High(), 0.0);
  EXPECT_EQ(e.envFollower.envelope, 0.0);
  EXPECT_EQ(e.lfoLeft.phase, 0.0);
  EXPECT_EQ(e.lfoRight.phase, 0.0);
  EXPECT_EQ(e.ControlCounter(), 0);
  EXPECT_EQ(e.crusherLeft.output, held);
  EXPECT_EQ(e.crusherLeft.phase, crusherPhase);
  EXPECT_EQ(e.panModRight.smoothed, smoothedPan);
  EXPECT_EQ(e.midiModWheel.base, 64 * 0.007874015748031496);
  EXPECT_EQ(e.filterLeft.sampleRate, 44100.0);
  EXPECT_EQ(e.midiNote.sampleRate, 44100.0 / 16);
}

TEST_F(EngineLoop, LfoResetRestartsBothPhases) {
  StereoBuffer in(100), out(100);
  ProcessInBlocks(e, in, out, 100);
  ASSERT_GT(e.lfoLeft.phase, 0.0);
  e.ResetLfoPhases();
  EXPECT_EQ(e.lfoLeft.phase, 0.0);
  EXPECT_EQ(e.lfoRight.phase, 0.0);
}

TEST_F(EngineLoop, InPlaceProcessingReadsEachFrameBeforeWritingIt) {
  auto crossed = [](Engine& x) {
    PrepareWetOnly(x);
    Route(x, 0, kIn2, kOut1, 1.0);  // right input to the left output
    Route(x, 1, kIn1, kOut2, 1.0);  // left input to the right output
    x.panModRight.base = 1.0;
    SettleModulators(x);
  };
  Engine separateEngine, inPlaceEngine;
  crossed(separateEngine);
  crossed(inPlaceEngine);
  StereoBuffer separate(64), inPlace(64), out(64);
  for (int i = 0; i < 64; ++i) {
    separate.left[i] = inPlace.left[i] = 0.01 * i;
    separate.right[i] = inPlace.right[i] = -0.02 * i;
  }
  ProcessInBlocks(separateEngine, separate, out, 64);
  IMidiEventQueue midi(16);
  double* buffers[2] = {inPlace.left.data(), inPlace.right.data()};
  inPlaceEngine.Process(buffers, buffers, 64, 120.0, midi);
  EXPECT_EQ(inPlace.left, out.left);
  EXPECT_EQ(inPlace.right, out.right);
  EXPECT_EQ(out.left[40], -0.8);  // the swap really happened
}

}  // namespace

namespace {

// A busy patch: full audio routing, LFOs modulating each other's rate, shape
// and phase, the envelope and the MIDI sources on several targets.
void BusyPatch(Engine& e, int controlChoice) {
  e.Reset(44100.0);
  ApplyDefaultBases(e);
  e.softClip = true;
  e.dryWetMix = 0.7;
  e.SetControlRateChoice(controlChoice);
  Route(e, 0, kIn1, kCrusher1Dst, 1.0);
  Route(e, 1, kCrusher1Src, kFilter1Dst, 1.0);
  Route(e, 2, kFilter1Src, kDelay1Dst, 0.8);
  Route(e, 3, kDelay1Src, kDelayFb1, 1.0);
  Route(e, 4, kDelay1Src, kOut1, 1.0);
  Route(e, 5, kIn2, kFilter2Dst, 1.0);
  Route(e, 6, kFilter2Src, kOut2, 1.0);
  Route(e, 7, kFilter1Src, kOut2, 0.3);
  Modulate(e, 0, kLfo1, 9, 0.3);
  Modulate(e, 1, kLfo2, 19, 0.2);     // Lfo 2 -> Lfo Rate 1
  Modulate(e, 2, kEnvelope, 21, 1.0);  // Envelope -> Lfo Shape 1
  Modulate(e, 3, kLfo1, 24, 0.5);     // Lfo 1 -> Lfo Phase 2
  Modulate(e, 4, kMidiNote, 10, 0.5);
  Modulate(e, 5, kMidiVelocity, 17, -0.5);
  Modulate(e, 6, kModWheel, 5, 0.3);
  Modulate(e, 7, kMidiGate, 15, -0.4);
  e.lfoRateModLeft.base = 7.0;
  e.lfoRateModRight.base = 3.0;
  e.delayFeedbackModLeft.base = 0.6;
  e.delayLeft.SetQuarters(1);
}

struct TimedEvent {
  int frame;
  uint8_t status, data1, data2;
};

std::vector<double> RunBusyPatch(int blockSize, int controlChoice, const std::vector<TimedEvent>& events) {
  auto engine = std::make_unique<Engine>();
  BusyPatch(*engine, controlChoice);
  const int frames = 6000;
  StereoBuffer in(frames), out(frames);
  for (int i = 0; i < frames; ++i) {
    in.left[i] = 0.8 * std::sin(i * 0.031) * ((i / 700) % 2 ? 1.0 : 0.1);
    in.right[i] = 0.5 * std::sin(i * 0.077 + 1.0);
  }
  IMidiEventQueue midi(1024);
  for (int start = 0; start < frames; start += blockSize) {
    const int n = std::min(blockSize, frames - start);
    for (const TimedEvent& t : events) {
      if (t.frame < start || t.frame >= start + n) continue;
      IMidiEvent ev;
      ev.offset = t.frame - start;
      ev.status = t.status;
      ev.data1 = t.data1;
      ev.data2 = t.data2;
      midi.Add(ev);
    }
    const double* inputs[2] = {in.left.data() + start, in.right.data() + start};
    double* outputs[2] = {out.left.data() + start, out.right.data() + start};
    engine->Process(inputs, outputs, n, 128.0, midi);
  }
  std::vector<double> both = out.left;
  both.insert(both.end(), out.right.begin(), out.right.end());
  return both;
}

// One-frame blocks run the frame-by-frame order literally; every other
// block size must give bit-identical output.
TEST(EngineLoopOrder, BlockSizeNeverChangesTheOutput) {
  const std::vector<TimedEvent> events = {{0, 0x90, 60, 100}, {333, 0xB0, 1, 90},  {334, 0x80, 60, 0},
                                          {334, 0x90, 72, 30}, {1500, 0x90, 40, 127}, {2999, 0xB0, 1, 10},
                                          {4096, 0x80, 40, 0}};
  for (int choice : {0, 1, 3, 5}) {
    const std::vector<double> reference = RunBusyPatch(1, choice, events);
    for (int blockSize : {3, 64, 333, 6000}) {
      const std::vector<double> other = RunBusyPatch(blockSize, choice, events);
      ASSERT_EQ(other.size(), reference.size());
      for (size_t i = 0; i < reference.size(); ++i)
        ASSERT_EQ(other[i], reference[i]) << "choice " << choice << " block " << blockSize << " sample " << i;
    }
  }
}

}  // namespace
