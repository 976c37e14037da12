// The twenty factory presets: slot names and order, and all 106 stored values
// of every slot, checked against the published preset list. Routes are
// written with their display texts and resolved through the parameters'
// own value texts, so a wrong list entry or a wrong preset row both show.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "effect/ParameterIds.h"
#include "tests/effect/KestrelTestHost.h"

namespace {

struct Route {
  const char* from;
  const char* to;
  double amount;
};

struct Setting {
  int index;
  double value;
};

struct ExpectedPreset {
  const char* name;
  std::vector<Route> audio;       // slots 1, 2, ... in order
  std::vector<Route> modulation;  // slots 1, 2, ... in order
  std::vector<Setting> others;
};

std::vector<ExpectedPreset> Expected() {
  const std::vector<Route> filterChain = {{"In 1", "Filter 1", 100}, {"In 2", "Filter 2", 100},
                                          {"Filter 1", "Out 1", 100}, {"Filter 2", "Out 2", 100}};
  const std::vector<Route> straight = {{"In 1", "Out 1", 100}, {"In 2", "Out 2", 100}};
  return {
      {"Init", filterChain,
       {{"Lfo 1", "Filter Freq 1", 25.833333}, {"Lfo 1", "Filter Freq 2", 25.208333}},
       {{kFilterShape1, 100}, {kFilterFreq1, 409}, {kFilterShape2, 100}, {kFilterFreq2, 409},
        {kDryWetMix, 100}, {kLfoRate1, 19.9981}, {kControlRate, 2}, {kLfoReset, 0}}},
      {"lofi nofi",
       {{"In 1", "Crusher 1", 100}, {"In 2", "Crusher 2", 100}, {"Crusher 1", "Filter 1", 100},
        {"Crusher 2", "Filter 2", 100}, {"Filter 1", "Out 1", 100}, {"Filter 2", "Out 2", 100}},
       {},
       {{kGain, 0.000001}, {kCrusherBits1, 5.9392}, {kCrusherRate1, 14.86},
        {kCrusherBits2, 5.9392}, {kCrusherRate2, 14.86}, {kFilterFreq1, 3333.499971},
        {kFilterFreq2, 3333.499971}, {kDryWetMix, 100}, {kControlRate, 2}, {kMatrixTab, 0}}},
      {"wawawah", filterChain,
       {{"Envelope", "Filter Freq 1", 47.500002}, {"Envelope", "Filter Freq 2", 37.5},
        {"Envelope", "Filter Res 1", 42.5}},
       {{kGain, 0.000001}, {kFilterFreq1, 648.333339}, {kFilterRes1, 81.179999},
        {kFilterFreq2, 648.333339}, {kFilterRes2, 85.139999}, {kDryWetMix, 100},
        {kLfoRate1, 100}, {kLfoRate2, 2.0098}, {kEnvAttack, 50.943783}, {kEnvRelease, 65.157},
        {kControlRate, 2}}},
      {"HP Sweep", filterChain,
       {{"Lfo 1", "Filter Freq 1", 25.833333}, {"Lfo 1", "Filter Freq 2", 25.208333}},
       {{kFilterShape1, 100}, {kFilterFreq1, 350}, {kFilterShape2, 100}, {kFilterFreq2, 350},
        {kDryWetMix, 100}, {kLfoRate1, 2.5}, {kControlRate, 2}, {kLfoReset, 0}}},
      {"Vari Trem", straight,
       {{"Lfo 1", "Master 1", -100}, {"Lfo 1", "Master 2", -100}, {"Lfo 2", "Lfo Rate 1", 10}},
       {{kFilterShape1, 100}, {kFilterFreq1, 18000}, {kFilterShape2, 100}, {kFilterFreq2, 18000},
        {kDryWetMix, 100}, {kLfoRate1, 2.5}, {kLfoRate2, 0.2}, {kControlRate, 2},
        {kLfoReset, 0}}},
      {"sliced ", straight, {{"Lfo 1", "Master 1", -100}, {"Lfo 1", "Master 2", -100}},
       {{kFilterShape1, 100}, {kFilterFreq1, 18000}, {kFilterShape2, 100}, {kFilterFreq2, 18000},
        {kDryWetMix, 100}, {kDelayLengthQuarters1, 0}, {kDelayLengthQuarters2, 0},
        {kLfoShape1, 10}, {kLfoRate1, 1.49995}, {kLfoPhase2, 180.3}, {kControlRate, 2},
        {kLfoReset, 0}}},
      {"Walking Delay",
       {{"In 1", "Delay 1", 100}, {"In 2", "Delay 2", 100}, {"Delay 1", "Out 1", 100},
        {"Delay 2", "Out 2", 100}},
       {{"Lfo 1", "Master 1", -100}, {"Lfo 2", "Master 2", -100}},
       {{kFilterShape1, 100}, {kFilterFreq1, 18000}, {kFilterShape2, 100}, {kFilterFreq2, 18000},
        {kDryWetMix, 45}, {kDelayLengthQuarters1, 0}, {kDelayLengthQuarters2, 0},
        {kLfoRate1, 0.50995}, {kLfoRate2, 0.50995}, {kLfoPhase2, 180.3}, {kControlRate, 2},
        {kLfoReset, 0}, {kMatrixTab, 0}}},
      {"loose pan", straight,
       {{"Lfo 1", "Pan 1", 100}, {"Lfo 2", "Pan 2", -100}, {"Envelope", "Lfo Shape 1", 42.5},
        {"Envelope", "Lfo Shape 2", -25}, {"Envelope", "Lfo Phase 1", 30}},
       {{kFilterShape1, 100}, {kFilterFreq1, 18000}, {kFilterShape2, 100}, {kFilterFreq2, 18000},
        {kDryWetMix, 100}, {kDelayLengthQuarters1, 0}, {kDelayLengthQuarters2, 0},
        {kLfoShape1, 69}, {kLfoShape2, 85}, {kLfoPhase2, 180.3}, {kControlRate, 2},
        {kLfoReset, 0}}},
      {"filter env1", filterChain,
       {{"Envelope", "Filter Freq 1", 100}, {"Envelope", "Filter Freq 2", 100}},
       {{kFilterFreq1, 100}, {kFilterRes1, 81.18}, {kFilterFreq2, 99}, {kFilterRes2, 80},
        {kDryWetMix, 100}, {kDelayLengthQuarters1, 0}, {kDelayLengthFine1, 0.5},
        {kDelayLengthQuarters2, 0}, {kDelayLengthFine2, 0.5}, {kEnvAttack, 1},
        {kEnvRelease, 10.029444}, {kDelayFeedback1, 20}, {kDelayFeedback2, 20},
        {kControlRate, 2}}},
      {"hmmg",
       {{"In 1", "Delay 1", 50}, {"In 2", "Delay 1", 50}, {"Delay 1", "Delay 2", 100},
        {"Delay 2", "Filter 1", 100}, {"Filter 1", "Out 1", 100}, {"Delay 2", "Delay Fb 1", 100},
        {"Filter 1", "Delay Fb 2", 100}},
       {{"Lfo 1", "Delay Time 1", 17.5}, {"Envelope", "Filter Freq 1", -100},
        {"Lfo 2", "Delay Time 2", -12.5}},
       {{kGain, 0.000001}, {kFilterFreq1, 2615.500015}, {kFilterRes1, 75.24},
        {kFilterFreq2, 50}, {kPan1, 0.5}, {kDryWetMix, 100}, {kDelayLengthQuarters1, 0},
        {kDelayLengthQuarters2, 1}, {kLfoRate1, 0.259975}, {kLfoRate2, 0.259975},
        {kDelayFeedback1, 30}, {kDelayFeedback2, 26}, {kLfoPhase2, 180.9}, {kControlRate, 2},
        {kMatrixTab, 0}}},
      {"filter env2", filterChain,
       {{"Envelope", "Filter Freq 1", 100}, {"Envelope", "Filter Freq 2", 100},
        {"Lfo 1", "Filter Shape 1", 100}, {"Lfo 2", "Filter Shape 2", 100},
        {"...", "...", 100}, {"...", "...", 100}},
       {{kGain, 0.000001}, {kFilterFreq1, 100}, {kFilterRes1, 90.0075}, {kFilterFreq2, 99},
        {kFilterRes2, 90}, {kDryWetMix, 100}, {kDelayLengthQuarters1, 0},
        {kDelayLengthFine1, 0.5}, {kDelayLengthQuarters2, 0}, {kDelayLengthFine2, 0.5},
        {kLfoShape1, 24}, {kLfoShape2, 42}, {kLfoRate1, 0.593275}, {kLfoRate2, 0.17665},
        {kEnvAttack, 1}, {kEnvRelease, 10.029444}, {kDelayFeedback1, 20},
        {kDelayFeedback2, 20}, {kLfoPhase2, 180.6}, {kControlRate, 2}}},
      {"libr",
       {{"In 1", "Delay 1", 100}, {"In 2", "Delay 2", 100}, {"Delay 1", "Filter 1", 100},
        {"Delay 2", "Filter 2", 100}, {"Filter 1", "Out 1", 100}, {"Filter 2", "Out 2", 100}},
       {{"Lfo 1", "Master 1", -100}, {"Lfo 2", "Master 2", -100},
        {"Envelope", "Filter Freq 1", 62.5}, {"Envelope", "Filter Freq 2", -42.5}},
       {{kFilterShape1, 89}, {kFilterFreq1, 409}, {kFilterRes1, 87.12}, {kFilterShape2, 75},
        {kFilterFreq2, 1127}, {kFilterRes2, 87.12}, {kDryWetMix, 75},
        {kDelayLengthQuarters1, 0}, {kDelayLengthFine1, 0.5}, {kDelayLengthQuarters2, 0},
        {kLfoShape1, 53}, {kLfoShape2, 80}, {kLfoRate1, 0.50995}, {kLfoRate2, 0.50995},
        {kLfoPhase2, 180.3}, {kControlRate, 2}, {kLfoReset, 0}}},
      {"autopan", straight, {{"Lfo 1", "Pan 1", 100}, {"Lfo 2", "Pan 2", -100}},
       {{kFilterShape1, 100}, {kFilterFreq1, 18000}, {kFilterShape2, 100}, {kFilterFreq2, 18000},
        {kDryWetMix, 100}, {kDelayLengthQuarters1, 0}, {kDelayLengthQuarters2, 0},
        {kLfoPhase2, 180.3}, {kControlRate, 2}, {kLfoReset, 0}}},
      {"pitch screw",
       {{"In 1", "Delay 1", 100}, {"In 2", "Delay 2", 100}, {"Delay 1", "Out 1", 100},
        {"Delay 2", "Out 2", 100}, {"Delay 2", "Delay Fb 1", 100}, {"Delay 1", "Delay Fb 2", 100}},
       {{"Lfo 1", "Delay Time 1", 100}, {"Lfo 2", "Delay Time 2", 100},
        {"Envelope", "Lfo Rate 1", -100}, {"Envelope", "Lfo Rate 2", -100}},
       {{kFilterShape1, 100}, {kFilterFreq1, 18000}, {kFilterShape2, 100}, {kFilterFreq2, 18000},
        {kDryWetMix, 100}, {kDelayLengthQuarters1, 1}, {kDelayLengthFine1, 0.5},
        {kDelayLengthQuarters2, 2}, {kDelayLengthFine2, 0.5}, {kLfoShape1, 24},
        {kLfoShape2, 17}, {kDelayFeedback1, 32}, {kDelayFeedback2, 25}, {kLfoPhase2, 180.3},
        {kControlRate, 2}, {kLfoReset, 0}}},
      {"crush modd",
       {{"In 1", "Crusher 1", 100}, {"In 2", "Crusher 2", 100}, {"Crusher 1", "Filter 1", 100},
        {"Crusher 2", "Filter 2", 100}, {"Filter 1", "Out 1", 100}, {"Filter 2", "Out 2", 100}},
       {{"Envelope", "Crusher Bits 1", -60}, {"Envelope", "Crusher Bits 2", -60},
        {"Envelope", "Crusher Rate 1", -55}, {"Envelope", "Crusher Rate 2", -52.5}},
       {{kCrusherBits1, 13.1968}, {kCrusherBits2, 13.1968}, {kFilterFreq1, 3333.499971},
        {kFilterFreq2, 3333.499971}, {kDryWetMix, 100}, {kEnvAttack, 1},
        {kEnvRelease, 250.235788}, {kControlRate, 2}, {kMatrixTab, 0}}},
      {"filter env3", filterChain,
       {{"Lfo 1", "Filter Freq 1", 100}, {"Lfo 2", "Filter Freq 2", 100},
        {"Envelope", "Lfo Rate 1", 50.625}, {"Envelope", "Lfo Rate 2", 50.833333},
        {"Envelope", "Lfo Shape 1", 17.5}, {"Envelope", "Lfo Shape 2", -17.5}},
       {{kGain, 0.000001}, {kFilterFreq1, 100}, {kFilterRes1, 90.007503}, {kFilterFreq2, 99},
        {kFilterRes2, 89.999998}, {kDryWetMix, 100}, {kDelayLengthQuarters1, 0},
        {kDelayLengthFine1, 0.5}, {kDelayLengthQuarters2, 0}, {kDelayLengthFine2, 0.5},
        {kLfoShape2, 100}, {kLfoRate1, 0.01}, {kLfoRate2, 0.01}, {kEnvAttack, 1},
        {kEnvRelease, 10.029444}, {kDelayFeedback1, 20}, {kDelayFeedback2, 20},
        {kControlRate, 2}}},
      {"cross delay",
       {{"In 1", "Delay 1", 100}, {"In 2", "Delay 2", 100}, {"Delay 1", "Delay Fb 2", 100},
        {"Delay 2", "Delay Fb 1", 100}, {"Delay 1", "Out 1", 100}, {"Delay 2", "Out 2", 100}},
       {},
       {{kGain, 0.000001}, {kFilterFreq1, 1000.000015}, {kFilterFreq2, 999.999976},
        {kDryWetMix, 100}, {kDelayLengthQuarters1, 1}, {kDelayLengthQuarters2, 1},
        {kDelayFeedback1, 20}, {kDelayFeedback2, 20}, {kControlRate, 2}, {kMatrixTab, 0}}},
      {"filtered delay",
       {{"In 1", "Delay 1", 100}, {"In 2", "Delay 2", 100}, {"Delay 1", "Filter 1", 100},
        {"Delay 2", "Filter 2", 100}, {"Delay 1", "Out 1", 100}, {"Delay 2", "Out 2", 100},
        {"Filter 1", "Delay Fb 1", 100}, {"Filter 2", "Delay Fb 2", 100}},
       {},
       {{kGain, 0.000001}, {kFilterFreq1, 1000.000015}, {kFilterRes1, 65.34},
        {kFilterRes2, 71.28}, {kDryWetMix, 100}, {kDelayLengthQuarters1, 1},
        {kDelayLengthQuarters2, 1}, {kDelayFeedback1, 50}, {kDelayFeedback2, 50},
        {kControlRate, 2}, {kMatrixTab, 0}}},
      {"hp delay",
       {{"In 1", "Delay 1", 100}, {"In 2", "Delay 2", 100}, {"Delay 1", "Filter 1", 100},
        {"Delay 2", "Filter 2", 100}, {"Delay 1", "Out 1", 100}, {"Delay 2", "Out 2", 100},
        {"Filter 1", "Delay Fb 1", 100}, {"Filter 2", "Delay Fb 2", 100}},
       {},
       {{kGain, 0.000001}, {kFilterShape1, 96}, {kFilterFreq1, 1000.000015},
        {kFilterShape2, 87}, {kDryWetMix, 100}, {kDelayLengthQuarters1, 1},
        {kDelayLengthQuarters2, 1}, {kDelayFeedback1, 50}, {kDelayFeedback2, 50},
        {kControlRate, 2}, {kMatrixTab, 0}}},
      {"crushed delay",
       {{"In 1", "Delay 1", 100}, {"In 2", "Delay 2", 100}, {"Delay 1", "Crusher 1", 100},
        {"Delay 2", "Crusher 2", 100}, {"Delay 1", "Out 1", 100}, {"Delay 2", "Out 2", 100},
        {"Crusher 1", "Delay Fb 1", 100}, {"Crusher 2", "Delay Fb 2", 100}},
       {},
       {{kGain, 0.000001}, {kCrusherBits1, 2.2348}, {kCrusherRate1, 34.66},
        {kCrusherBits2, 2.2348}, {kCrusherRate2, 21.79}, {kFilterFreq1, 1000.000015},
        {kFilterRes1, 65.34}, {kFilterRes2, 71.28}, {kDryWetMix, 100},
        {kDelayLengthQuarters1, 1}, {kDelayLengthQuarters2, 1}, {kDelayFeedback1, 30},
        {kDelayFeedback2, 25}, {kControlRate, 2}, {kMatrixTab, 0}}},
  };
}

int Choice(const IEffectBase& fx, int parameter, const char* text) {
  int value = -1;
  EXPECT_TRUE(fx.Parameter(parameter)->FindValueText(text, &value)) << text;
  return value;
}

// All 106 values a preset must store: defaults, then its rows and settings.
std::vector<double> ExpectedValues(const IEffectBase& fx, const ExpectedPreset& preset) {
  std::vector<double> values(kParameterCount);
  for (int i = 0; i < kParameterCount; ++i) values[i] = fx.Parameter(i)->Default();
  for (size_t row = 0; row < preset.audio.size(); ++row) {
    const int base = 1 + 3 * static_cast<int>(row);  // kAudioIn of this slot
    values[base] = Choice(fx, base, preset.audio[row].from);
    values[base + 1] = Choice(fx, base + 1, preset.audio[row].to);
    values[base + 2] = preset.audio[row].amount;
  }
  for (size_t row = 0; row < preset.modulation.size(); ++row) {
    const int base = 68 + 3 * static_cast<int>(row);  // kModIn of this slot
    values[base] = Choice(fx, base, preset.modulation[row].from);
    values[base + 1] = Choice(fx, base + 1, preset.modulation[row].to);
    values[base + 2] = preset.modulation[row].amount;
  }
  for (const Setting& s : preset.others) values[s.index] = s.value;
  return values;
}

std::vector<double> StoredValues(const IPreset& preset) {
  std::vector<double> values;
  for (int pos = 0; pos >= 0 && pos < preset.values.Size();) {
    double v = 0;
    pos = preset.values.ReadDouble(pos, &v);
    if (pos >= 0) values.push_back(v);
  }
  return values;
}

class FactoryPresetTest : public ::testing::Test {
 protected:
  KestrelTestHost host;
};

TEST_F(FactoryPresetTest, SlotsHoldTheTwentyPresetsThenPlaceholders) {
  const IEffectBase& fx = host.effect();
  ASSERT_EQ(fx.PresetCount(), 128);
  const auto expected = Expected();
  ASSERT_EQ(expected.size(), 20u);
  for (int i = 0; i < 20; ++i) EXPECT_STREQ(fx.PresetName(i), expected[i].name) << "slot " << i;
  EXPECT_STREQ(fx.PresetName(5), "sliced ") << "the trailing blank is part of the name";
  for (int i = 20; i < 128; ++i) {
    EXPECT_STREQ(fx.PresetName(i), "-") << "slot " << i;
    EXPECT_TRUE(fx.Preset(i)->initialised);
  }
  EXPECT_EQ(fx.CurrentPreset(), 0);
}

TEST_F(FactoryPresetTest, EveryFactorySlotStoresAllItsValues) {
  const IEffectBase& fx = host.effect();
  const auto expected = Expected();
  for (int slot = 0; slot < 20; ++slot) {
    SCOPED_TRACE(expected[slot].name);
    ASSERT_TRUE(fx.Preset(slot)->initialised);
    const std::vector<double> stored = StoredValues(*fx.Preset(slot));
    const std::vector<double> want = ExpectedValues(fx, expected[slot]);
    ASSERT_EQ(stored.size(), 106u);
    for (int i = 0; i < kParameterCount; ++i) {
      EXPECT_EQ(stored[i], want[i]) << kParameterIdentifiers[i];
    }
  }
}

TEST_F(FactoryPresetTest, PlaceholderSlotsStoreTheDefaults) {
  const IEffectBase& fx = host.effect();
  for (int slot : {20, 64, 127}) {
    const std::vector<double> stored = StoredValues(*fx.Preset(slot));
    ASSERT_EQ(stored.size(), 106u);
    for (int i = 0; i < kParameterCount; ++i) {
      EXPECT_EQ(stored[i], fx.Parameter(i)->Default()) << "slot " << slot << " " << i;
    }
  }
}

TEST_F(FactoryPresetTest, ConstructionAppliesNoPreset) {
  // The plug-in starts at the defaults, which differ from "Init".
  const IEffectBase& fx = host.effect();
  for (int i = 0; i < kParameterCount; ++i) {
    EXPECT_EQ(fx.Parameter(i)->Value(), fx.Parameter(i)->Default()) << kParameterIdentifiers[i];
  }
  EXPECT_EQ(fx.Parameter(kAudioIn1)->Value(), 0.0);
}

TEST_F(FactoryPresetTest, LoadingAFactoryPresetSetsEveryParameter) {
  IEffectBase& fx = host.effect();
  const auto expected = Expected();
  for (int slot : {0, 9, 10, 19}) {
    {
      IEffectBase::LockGuard lock(fx);
      ASSERT_TRUE(fx.LoadPreset(slot));
    }
    const std::vector<double> want = ExpectedValues(fx, expected[slot]);
    for (int i = 0; i < kParameterCount; ++i) {
      EXPECT_EQ(fx.Parameter(i)->Value(), want[i]) << expected[slot].name << " "
                                                   << kParameterIdentifiers[i];
    }
    EXPECT_EQ(fx.CurrentPreset(), slot);
  }
}

}  // namespace
