// Behaviour of Kestrel's parameter handler: how each parameter reaches the
// engine (matrix rows, modulator bases with their unit scaling, delay and
// envelope settings, control rate, effect-level fields, LFO reset), and that
// an attached editor is refreshed after every call.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "effect/ParameterIds.h"
#include "effect/ParameterRouting.h"
#include "tests/effect/KestrelTestHost.h"
#include "tests/framework/ChangeProbe.h"

namespace {

class RoutingTest : public ::testing::Test {
 protected:
  Engine& engine() { return host.effect().SignalEngine(); }
  Modulator& ModulatorNamed(const char* name) {
    auto* m = dynamic_cast<Modulator*>(engine().FindModule(name));
    EXPECT_NE(m, nullptr) << name;
    return *m;
  }
  // Which module input slots hold links, over every routable module.
  std::vector<std::string> Links() {
    std::vector<std::string> out;
    for (const char* name : {"crusher_left", "crusher_right", "filter_left", "filter_right",
                             "delay_left", "delay_right", "feedback_left", "feedback_right",
                             "master_left", "master_right"}) {
      AudioModule* m = engine().FindModule(name);
      for (int slot = 0; slot < 12; ++slot) {
        if (m->Input(slot)) out.push_back(std::string(name) + "[" + std::to_string(slot) + "]<-" +
                                          m->Input(slot)->Name());
      }
    }
    return out;
  }

  KestrelTestHost host;
};

// ---- Audio matrix --------------------------------------------------------

TEST_F(RoutingTest, AudioChoicesNameTheDocumentedModules) {
  const char* sources[] = {"in_left", "in_right", "crusher_left", "crusher_right",
                           "filter_left", "filter_right", "delay_left", "delay_right"};
  const char* destinations[] = {"master_left", "master_right", "crusher_left", "crusher_right",
                                "filter_left", "filter_right", "delay_left", "delay_right",
                                "feedback_left", "feedback_right"};
  for (int v = 1; v <= 8; ++v) {
    host.Set(kAudioIn4, v);
    ASSERT_NE(engine().audioMatrix[3].Source(), nullptr);
    EXPECT_EQ(engine().audioMatrix[3].Source()->Name(), sources[v - 1]) << v;
  }
  for (int v = 1; v <= 10; ++v) {
    host.Set(kAudioOut4, v);
    ASSERT_NE(engine().audioMatrix[3].Destination(), nullptr);
    EXPECT_EQ(engine().audioMatrix[3].Destination()->Name(), destinations[v - 1]) << v;
  }
}

TEST_F(RoutingTest, AudioRowLinksOnlyWhenBothEndsAreSetAndOwnsItsSlot) {
  host.Set(kAudioAmount5, 50);
  host.Set(kAudioIn5, 1);  // "In 1", no destination yet
  EXPECT_TRUE(Links().empty());
  host.Set(kAudioOut5, 5);  // "Filter 1"
  EXPECT_EQ(Links(), std::vector<std::string>{"filter_left[4]<-in_left"});
  EXPECT_EQ(engine().filterLeft.InputAmount(4), 0.5);

  // Moving the destination empties the old slot and fills the same slot
  // number in the new module, with the row's amount.
  host.Set(kAudioOut5, 6);  // "Filter 2"
  EXPECT_EQ(Links(), std::vector<std::string>{"filter_right[4]<-in_left"});
  EXPECT_EQ(engine().filterRight.InputAmount(4), 0.5);

  // Changing the source keeps slot and amount.
  host.Set(kAudioIn5, 7);  // "Delay 1"
  EXPECT_EQ(Links(), std::vector<std::string>{"filter_right[4]<-delay_left"});

  // "..." as source unlinks; the old weight stays behind the empty slot.
  host.Set(kAudioIn5, 0);
  EXPECT_TRUE(Links().empty());
  EXPECT_EQ(engine().filterRight.InputAmount(4), 0.5);
  // Choosing a source later links it with the row's current amount.
  host.Set(kAudioAmount5, -100);
  host.Set(kAudioIn5, 2);
  EXPECT_EQ(Links(), std::vector<std::string>{"filter_right[4]<-in_right"});
  EXPECT_EQ(engine().filterRight.InputAmount(4), -1.0);

  host.Set(kAudioOut5, 0);
  EXPECT_TRUE(Links().empty());
}

TEST_F(RoutingTest, RowsAreIndependentAndMayShareEndsOrLoop) {
  // Two rows with the same ends both contribute, through their own slots.
  for (int slot : {1, 12}) {
    host.Set(AudioInIndex(slot), 5);   // "Filter 1"
    host.Set(AudioOutIndex(slot), 5);  // into itself
    host.Set(AudioAmountIndex(slot), slot);
  }
  EXPECT_EQ(Links(), (std::vector<std::string>{"filter_left[0]<-filter_left",
                                               "filter_left[11]<-filter_left"}));
  EXPECT_DOUBLE_EQ(engine().filterLeft.InputAmount(0), 0.01);
  EXPECT_DOUBLE_EQ(engine().filterLeft.InputAmount(11), 0.12);
  // An amount of 0 keeps the link.
  host.Set(kAudioAmount12, 0);
  EXPECT_EQ(Links().size(), 2u);
  EXPECT_EQ(engine().filterLeft.InputAmount(11), 0.0);
}

TEST_F(RoutingTest, ChoicesOutsideTheListLeaveTheRowAlone) {
  Engine engine;
  ApplyParameterChange(engine, kAudioIn1, 2);
  ApplyParameterChange(engine, kAudioOut1, 1);
  for (double bad : {9.0, -1.0, 1e300, double(NAN)}) ApplyParameterChange(engine, kAudioIn1, bad);
  for (double bad : {11.0, -3.0}) ApplyParameterChange(engine, kAudioOut1, bad);
  EXPECT_EQ(engine.audioMatrix[0].Source(), &engine.inRight);
  EXPECT_EQ(engine.audioMatrix[0].Destination(), &engine.masterLeft);
  ApplyParameterChange(engine, kModIn1, 8);
  ApplyParameterChange(engine, kModOut1, 25);
  EXPECT_EQ(engine.modulationMatrix[0].Source(), nullptr);
  EXPECT_EQ(engine.modulationMatrix[0].Destination(), nullptr);
  // Enum values are read by truncation toward zero.
  ApplyParameterChange(engine, kAudioIn1, 3.9);
  EXPECT_EQ(engine.audioMatrix[0].Source(), &engine.crusherLeft);
}

// ---- Modulation matrix ---------------------------------------------------

TEST_F(RoutingTest, ModulationChoicesNameTheDocumentedModules) {
  const char* sources[] = {"midi_gate_mod", "midi_note_mod", "midi_velo_mod",
                           "midi_modwhhel_left", "env_follower", "lfo_left", "lfo_right"};
  const char* targets[] = {
      "panmod_left", "panmod_right", "master_mod_left", "master_mod_right",
      "delaytime_mod_left", "delaytime_mod_right", "delayFb_mod_left", "delayFb_mod_right",
      "filterfreq_mod_left", "filter_mod_right", "filterres_mod_left", "filterres_mod_right",
      "filtershape_mod_left", "filter_shape_right", "crusher_bits_mod_left",
      "crusher_bits_mod_right", "crusher_rate_mod_left", "crusher_rate_mod_right",
      "lfo_ratemod_left", "lfo_ratemod_right", "lfo_shapemod_left", "lfo_sjapemod_right",
      "lfo_phasemod_left", "lfo_phasemod_right"};
  for (int v = 1; v <= 7; ++v) {
    host.Set(kModIn12, v);
    ASSERT_NE(engine().modulationMatrix[11].Source(), nullptr);
    EXPECT_EQ(engine().modulationMatrix[11].Source()->Name(), sources[v - 1]) << v;
  }
  host.Set(kModAmount12, -25);
  for (int v = 1; v <= 24; ++v) {
    host.Set(kModOut12, v);
    AudioModule* target = engine().modulationMatrix[11].Destination();
    ASSERT_NE(target, nullptr);
    EXPECT_EQ(target->Name(), targets[v - 1]) << v;
    EXPECT_EQ(target->Input(11), engine().FindModule("lfo_right"));
    EXPECT_EQ(target->InputAmount(11), -0.25);
  }
}

TEST_F(RoutingTest, ModulationRowsAddUpOnOneTarget) {
  host.Set(kModIn1, 6);    // "Lfo 1"
  host.Set(kModOut1, 9);   // "Filter Freq 1"
  host.Set(kModAmount1, 30);
  host.Set(kModIn2, 5);    // "Envelope"
  host.Set(kModOut2, 9);
  host.Set(kModAmount2, -40);
  Modulator& cutoff = ModulatorNamed("filterfreq_mod_left");
  EXPECT_EQ(cutoff.Input(0), &engine().lfoLeft);
  EXPECT_DOUBLE_EQ(cutoff.InputAmount(0), 0.3);
  EXPECT_EQ(cutoff.Input(1), &engine().envFollower);
  EXPECT_DOUBLE_EQ(cutoff.InputAmount(1), -0.4);
  host.Set(kModOut1, 0);
  EXPECT_EQ(cutoff.Input(0), nullptr);
  EXPECT_EQ(cutoff.Input(1), &engine().envFollower);
}

// ---- Module settings -----------------------------------------------------

struct BaseCase {
  int index;
  const char* modulator;
  double value;     // in the parameter's unit
  double expected;  // base in the target's unit
};

TEST_F(RoutingTest, SettingsWriteModulatorBasesInTheTargetsUnit) {
  const BaseCase cases[] = {
      {kCrusherBits1, "crusher_bits_mod_left", 12.5, 12.5},
      {kCrusherRate1, "crusher_rate_mod_left", 50, 0.5},
      {kCrusherBits2, "crusher_bits_mod_right", 3.2, 3.2},
      {kCrusherRate2, "crusher_rate_mod_right", 14.8, 0.148},
      {kFilterShape1, "filtershape_mod_left", 75, 0.75},
      {kFilterFreq1, "filterfreq_mod_left", 409, 409},
      {kFilterRes1, "filterres_mod_left", 99, 0.99},
      {kFilterShape2, "filter_shape_right", 25, 0.25},
      {kFilterFreq2, "filter_mod_right", 17000, 17000},
      {kFilterRes2, "filterres_mod_right", 81.2, 0.812},
      {kPan1, "panmod_left", 0.3, 0.3},
      {kPan2, "panmod_right", 0.7, 0.7},
      {kDelayLengthFine1, "delaytime_mod_left", 1.5, 1.5},
      {kDelayLengthFine2, "delaytime_mod_right", 0.5, 0.5},
      {kLfoShape1, "lfo_shapemod_left", 10, 0.1},
      {kLfoShape2, "lfo_sjapemod_right", 90, 0.9},
      {kLfoRate1, "lfo_ratemod_left", 19.9981, 19.9981},
      {kLfoRate2, "lfo_ratemod_right", 0.2, 0.2},
      {kMaster1, "master_mod_left", 80, 0.8},
      {kMaster2, "master_mod_right", 12.5, 0.125},
      {kDelayFeedback1, "delayFb_mod_left", 30, 0.3},
      {kDelayFeedback2, "delayFb_mod_right", 26, 0.26},
      {kLfoPhase1, "lfo_phasemod_left", 90, 0.25},
      {kLfoPhase2, "lfo_phasemod_right", 180.3, 180.3 / 360},
  };
  for (const BaseCase& c : cases) {
    host.Set(c.index, c.value);
    EXPECT_DOUBLE_EQ(ModulatorNamed(c.modulator).base, c.expected) << c.modulator;
  }
}

TEST_F(RoutingTest, DefaultsGiveTheDocumentedBases) {
  // After the host applied every parameter once.
  EXPECT_EQ(ModulatorNamed("panmod_left").base, 0.0);
  EXPECT_EQ(ModulatorNamed("panmod_right").base, 1.0);
  EXPECT_EQ(ModulatorNamed("master_mod_left").base, 1.0);
  EXPECT_EQ(ModulatorNamed("filterfreq_mod_left").base, 1000.0);
  EXPECT_EQ(ModulatorNamed("crusher_bits_mod_right").base, 64.0);
  EXPECT_EQ(ModulatorNamed("crusher_rate_mod_right").base, 1.0);
  EXPECT_EQ(engine().dryWetMix, 0.5);
  EXPECT_EQ(engine().envelopeInputGain, 1.0);
  EXPECT_TRUE(engine().softClip);
  EXPECT_EQ(engine().ControlRate(), 16);
  EXPECT_EQ(engine().delayLeft.quarters, 4);
}

TEST_F(RoutingTest, GainBecomesALinearEnvelopeInputFactor) {
  host.Set(kGain, 0);
  EXPECT_EQ(engine().envelopeInputGain, 1.0);
  host.Set(kGain, -80);
  EXPECT_NEAR(engine().envelopeInputGain, 1e-4, 1e-12);
  host.Set(kGain, 10);
  EXPECT_NEAR(engine().envelopeInputGain, 3.16227766, 1e-6);
  host.Set(kGain, -6);
  EXPECT_NEAR(engine().envelopeInputGain, std::pow(10.0, -6.0 / 20.0), 1e-12);
}

TEST_F(RoutingTest, MixAndSoftClipAreEffectLevelFields) {
  host.Set(kDryWetMix, 45);
  EXPECT_DOUBLE_EQ(engine().dryWetMix, 0.45);
  host.Set(kSoftClip, 0);
  EXPECT_FALSE(engine().softClip);
  host.Set(kSoftClip, 0.5);  // exactly half counts as on
  EXPECT_TRUE(engine().softClip);
  host.Set(kSoftClip, 0.49);
  EXPECT_FALSE(engine().softClip);
  host.Set(kSoftClip, 1);
  EXPECT_TRUE(engine().softClip);
}

TEST_F(RoutingTest, QuarterChoiceIsTheCountOfQuarterBeats) {
  host.Set(kDelayLengthQuarters1, 4);  // shown as "5 qtr"
  EXPECT_EQ(engine().delayLeft.quarters, 4);
  // One beat at 120 BPM, fine 1, 44.1 kHz.
  EXPECT_DOUBLE_EQ(engine().delayLeft.delaySamples, 22050.0);
  host.Set(kDelayLengthQuarters2, 0);
  EXPECT_EQ(engine().delayRight.quarters, 0);
  EXPECT_EQ(engine().delayRight.delaySamples, 0.0);
  host.Set(kDelayLengthQuarters2, 15);
  EXPECT_EQ(engine().delayRight.quarters, 15);
  EXPECT_EQ(engine().delayLeft.quarters, 4);
}

TEST_F(RoutingTest, EnvelopeTimesAreGivenInSeconds) {
  host.Set(kEnvAttack, 5);
  EXPECT_DOUBLE_EQ(engine().envFollower.attackTime, 0.005);
  EXPECT_NEAR(engine().envFollower.attackCoefficient, std::exp(-1.0 / 220.5), 1e-15);
  host.Set(kEnvRelease, 250.235788);
  EXPECT_DOUBLE_EQ(engine().envFollower.releaseTime, 0.250235788);
}

TEST_F(RoutingTest, ControlRateChoiceSetsTheGridAndEveryModulatorsRate) {
  const int rates[] = {1, 4, 8, 16, 32, 64};
  const char* some[] = {"midi_gate_mod", "midi_modwhhel_left", "panmod_left",
                        "lfo_phasemod_right", "filter_mod_right"};
  for (int choice = 0; choice < 6; ++choice) {
    host.Set(kControlRate, choice);
    EXPECT_EQ(engine().ControlRate(), rates[choice]);
    for (const char* name : some) {
      EXPECT_DOUBLE_EQ(ModulatorNamed(name).sampleRate, 44100.0 / rates[choice]) << name;
    }
  }
  // An invalid choice keeps the rate but still re-derives the modulator rates.
  Engine bare;
  ASSERT_TRUE(bare.Reset(48000.0));
  ApplyParameterChange(bare, kControlRate, 1);
  bare.panModLeft.SetSampleRate(1.0);
  ApplyParameterChange(bare, kControlRate, 9);
  EXPECT_EQ(bare.ControlRate(), 4);
  EXPECT_DOUBLE_EQ(bare.panModLeft.sampleRate, 12000.0);
}

TEST_F(RoutingTest, EveryLfoResetCallRestartsBothLfos) {
  std::vector<double> l, r;
  for (double value : {1.0, 1.0, 0.0, 0.0}) {
    host.ProcessConstant(0.1, 0.1, 300, l, r);
    ASSERT_NE(engine().lfoLeft.phase, 0.0);
    ASSERT_NE(engine().lfoRight.phase, 0.0);
    host.Set(kLfoReset, value);  // unchanged values count too
    EXPECT_EQ(engine().lfoLeft.phase, 0.0) << value;
    EXPECT_EQ(engine().lfoRight.phase, 0.0) << value;
  }
}

// ---- Whole parameter sets ------------------------------------------------

struct EngineSnapshot {
  std::vector<std::string> ends;  // module names, "" for none
  std::vector<double> numbers;
  bool softClip;
  bool operator==(const EngineSnapshot& o) const {
    return ends == o.ends && numbers == o.numbers && softClip == o.softClip;
  }
};

EngineSnapshot Snapshot(Engine& e) {
  EngineSnapshot s;
  auto rel = [](const AudioModule* m) { return m ? m->Name() : std::string(); };
  for (auto* matrix : {&e.audioMatrix, &e.modulationMatrix}) {
    for (const Connection& row : *matrix) {
      s.ends.push_back(rel(row.Source()));
      s.ends.push_back(rel(row.Destination()));
      s.numbers.push_back(row.Amount());
    }
  }
  for (const char* name :
       {"panmod_left", "panmod_right", "master_mod_left", "master_mod_right",
        "delaytime_mod_left", "delaytime_mod_right", "delayFb_mod_left", "delayFb_mod_right",
        "filterfreq_mod_left", "filter_mod_right", "filterres_mod_left", "filterres_mod_right",
        "filtershape_mod_left", "filter_shape_right", "crusher_bits_mod_left",
        "crusher_bits_mod_right", "crusher_rate_mod_left", "crusher_rate_mod_right",
        "lfo_ratemod_left", "lfo_ratemod_right", "lfo_shapemod_left", "lfo_sjapemod_right",
        "lfo_phasemod_left", "lfo_phasemod_right"}) {
    s.numbers.push_back(dynamic_cast<Modulator*>(e.FindModule(name))->base);
  }
  s.numbers.insert(s.numbers.end(),
                   {e.envelopeInputGain, e.dryWetMix, double(e.ControlRate()),
                    double(e.delayLeft.quarters), double(e.delayRight.quarters),
                    e.envFollower.attackTime, e.envFollower.releaseTime});
  s.softClip = e.softClip;
  return s;
}

TEST_F(RoutingTest, StateAfterAWholeSetDoesNotDependOnCallOrder) {
  KestrelTestHost other;
  for (int preset : {9, 10, 13}) {  // "hmmg", "filter env2", "pitch screw"
    ASSERT_TRUE(host.LoadPreset(preset));  // ascending order
    // Same values into the other instance, applied from the top down.
    Kestrel& fx = other.effect();
    {
      IEffectBase::LockGuard lock(fx);
      for (int i = 0; i < kParameterCount; ++i) {
        fx.Parameter(i)->SetClamped(host.effect().Parameter(i)->Value());
      }
      for (int i = kParameterCount - 1; i >= 0; --i) fx.ParameterChanged(i);
    }
    EXPECT_TRUE(Snapshot(engine()) ==
                Snapshot(fx.SignalEngine()))
        << "preset " << preset;
  }
}

// ---- Editor refresh ------------------------------------------------------

// The editor takes, on its own tick, only the values that changed since
// its last one: one for a single change, every one (once, final values) for
// a whole set; applying a change to the engine tells the editor nothing.
TEST_F(RoutingTest, TheEditorTakesOnlyWhatChangedWithTheFinalValues) {
  Kestrel& fx = host.effect();
  auto take = [&fx] { return EditorChangesOf(fx); };
  take();
  ASSERT_TRUE(fx.SetParameterFromHost(kFilterFreq1, 0.5));
  const auto one = take();
  ASSERT_EQ(one.size(), 1u);
  EXPECT_EQ(one[0], std::make_pair(int(kFilterFreq1), fx.Parameter(kFilterFreq1)->Value()));
  fx.ParameterChanged(kFilterFreq1);
  EXPECT_TRUE(take().empty());

  Kestrel::LockGuard lock(fx);
  IStateChunk bank;
  ASSERT_TRUE(fx.SerializePresets(bank));
  for (auto load : {+[](Kestrel& k, const IStateChunk&) { k.LoadPreset(9); },
                    +[](Kestrel& k, const IStateChunk& c) { k.UnserializePresets(c, 0); },
                    +[](Kestrel& k, const IStateChunk&) { k.NotifyAllParametersChanged(); }}) {
    load(fx, bank);
    const auto all = take();
    ASSERT_EQ(all.size(), 106u);
    for (int i = 0; i < 106; ++i) EXPECT_EQ(all[i], std::make_pair(i, fx.Parameter(i)->Value())) << i;
  }
}

TEST_F(RoutingTest, IndexesOutsideTheTableChangeNothing) {
  const EngineSnapshot before = Snapshot(engine());
  host.effect().ParameterChanged(-1);
  host.effect().ParameterChanged(106);
  ApplyParameterChange(engine(), 106, 1.0);
  ApplyParameterChange(engine(), -7, 1.0);
  EXPECT_TRUE(before == Snapshot(engine()));
}

}  // namespace
