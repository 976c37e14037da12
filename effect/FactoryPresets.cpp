#include "effect/FactoryPresets.h"

#include "effect/MatrixChoices.h"
#include "effect/ParameterTable.h"

namespace {

namespace In = AudioSource;
namespace Out = AudioDestination;
namespace Mod = ModSource;
namespace To = ModTarget;

// Audio paths that several presets share.
#define FILTER_CHAIN                                                              \
  {In::In1, Out::Filter1, 100}, {In::In2, Out::Filter2, 100},                     \
  {In::Filter1, Out::Out1, 100}, {In::Filter2, Out::Out2, 100}
#define STRAIGHT_THROUGH {In::In1, Out::Out1, 100}, {In::In2, Out::Out2, 100}
// The filter settings shared by the presets whose path has no filter in it.
#define OPEN_FILTERS                                                              \
  {kFilterShape1, 100}, {kFilterFreq1, 18000}, {kFilterShape2, 100}, {kFilterFreq2, 18000}

const FactoryPreset kFactoryPresets[kFactoryPresetCount] = {
    {"Init",
     {FILTER_CHAIN},
     {{Mod::Lfo1, To::FilterFreq1, 25.833333}, {Mod::Lfo1, To::FilterFreq2, 25.208333}},
     {{kFilterShape1, 100}, {kFilterFreq1, 409}, {kFilterShape2, 100}, {kFilterFreq2, 409},
      {kDryWetMix, 100}, {kLfoRate1, 19.9981}, {kControlRate, 2}, {kLfoReset, 0}}},

    {"lofi nofi",
     {{In::In1, Out::Crusher1, 100}, {In::In2, Out::Crusher2, 100},
      {In::Crusher1, Out::Filter1, 100}, {In::Crusher2, Out::Filter2, 100},
      {In::Filter1, Out::Out1, 100}, {In::Filter2, Out::Out2, 100}},
     {},
     {{kGain, 0.000001}, {kCrusherBits1, 5.9392}, {kCrusherRate1, 14.86},
      {kCrusherBits2, 5.9392}, {kCrusherRate2, 14.86}, {kFilterFreq1, 3333.499971},
      {kFilterFreq2, 3333.499971}, {kDryWetMix, 100}, {kControlRate, 2}, {kMatrixTab, 0}}},

    {"wawawah",
     {FILTER_CHAIN},
     {{Mod::Envelope, To::FilterFreq1, 47.500002}, {Mod::Envelope, To::FilterFreq2, 37.5},
      {Mod::Envelope, To::FilterRes1, 42.5}},
     {{kGain, 0.000001}, {kFilterFreq1, 648.333339}, {kFilterRes1, 81.179999},
      {kFilterFreq2, 648.333339}, {kFilterRes2, 85.139999}, {kDryWetMix, 100},
      {kLfoRate1, 100}, {kLfoRate2, 2.0098}, {kEnvAttack, 50.943783}, {kEnvRelease, 65.157},
      {kControlRate, 2}}},

    {"HP Sweep",
     {FILTER_CHAIN},
     {{Mod::Lfo1, To::FilterFreq1, 25.833333}, {Mod::Lfo1, To::FilterFreq2, 25.208333}},
     {{kFilterShape1, 100}, {kFilterFreq1, 350}, {kFilterShape2, 100}, {kFilterFreq2, 350},
      {kDryWetMix, 100}, {kLfoRate1, 2.5}, {kControlRate, 2}, {kLfoReset, 0}}},

    {"Vari Trem",
     {STRAIGHT_THROUGH},
     {{Mod::Lfo1, To::Master1, -100}, {Mod::Lfo1, To::Master2, -100},
      {Mod::Lfo2, To::LfoRate1, 10}},
     {OPEN_FILTERS, {kDryWetMix, 100}, {kLfoRate1, 2.5}, {kLfoRate2, 0.2}, {kControlRate, 2},
      {kLfoReset, 0}}},

    {"sliced ",
     {STRAIGHT_THROUGH},
     {{Mod::Lfo1, To::Master1, -100}, {Mod::Lfo1, To::Master2, -100}},
     {OPEN_FILTERS, {kDryWetMix, 100}, {kDelayLengthQuarters1, 0}, {kDelayLengthQuarters2, 0},
      {kLfoShape1, 10}, {kLfoRate1, 1.49995}, {kLfoPhase2, 180.3}, {kControlRate, 2},
      {kLfoReset, 0}}},

    {"Walking Delay",
     {{In::In1, Out::Delay1, 100}, {In::In2, Out::Delay2, 100},
      {In::Delay1, Out::Out1, 100}, {In::Delay2, Out::Out2, 100}},
     {{Mod::Lfo1, To::Master1, -100}, {Mod::Lfo2, To::Master2, -100}},
     {OPEN_FILTERS, {kDryWetMix, 45}, {kDelayLengthQuarters1, 0}, {kDelayLengthQuarters2, 0},
      {kLfoRate1, 0.50995}, {kLfoRate2, 0.50995}, {kLfoPhase2, 180.3}, {kControlRate, 2},
      {kLfoReset, 0}, {kMatrixTab, 0}}},

    {"loose pan",
     {STRAIGHT_THROUGH},
     {{Mod::Lfo1, To::Pan1, 100}, {Mod::Lfo2, To::Pan2, -100},
      {Mod::Envelope, To::LfoShape1, 42.5}, {Mod::Envelope, To::LfoShape2, -25},
      {Mod::Envelope, To::LfoPhase1, 30}},
     {OPEN_FILTERS, {kDryWetMix, 100}, {kDelayLengthQuarters1, 0}, {kDelayLengthQuarters2, 0},
      {kLfoShape1, 69}, {kLfoShape2, 85}, {kLfoPhase2, 180.3}, {kControlRate, 2},
      {kLfoReset, 0}}},

    {"filter env1",
     {FILTER_CHAIN},
     {{Mod::Envelope, To::FilterFreq1, 100}, {Mod::Envelope, To::FilterFreq2, 100}},
     {{kFilterFreq1, 100}, {kFilterRes1, 81.18}, {kFilterFreq2, 99}, {kFilterRes2, 80},
      {kDryWetMix, 100}, {kDelayLengthQuarters1, 0}, {kDelayLengthFine1, 0.5},
      {kDelayLengthQuarters2, 0}, {kDelayLengthFine2, 0.5}, {kEnvAttack, 1},
      {kEnvRelease, 10.029444}, {kDelayFeedback1, 20}, {kDelayFeedback2, 20},
      {kControlRate, 2}}},

    {"hmmg",
     {{In::In1, Out::Delay1, 50}, {In::In2, Out::Delay1, 50}, {In::Delay1, Out::Delay2, 100},
      {In::Delay2, Out::Filter1, 100}, {In::Filter1, Out::Out1, 100},
      {In::Delay2, Out::DelayFb1, 100}, {In::Filter1, Out::DelayFb2, 100}},
     {{Mod::Lfo1, To::DelayTime1, 17.5}, {Mod::Envelope, To::FilterFreq1, -100},
      {Mod::Lfo2, To::DelayTime2, -12.5}},
     {{kGain, 0.000001}, {kFilterFreq1, 2615.500015}, {kFilterRes1, 75.24},
      {kFilterFreq2, 50}, {kPan1, 0.5}, {kDryWetMix, 100}, {kDelayLengthQuarters1, 0},
      {kDelayLengthQuarters2, 1}, {kLfoRate1, 0.259975}, {kLfoRate2, 0.259975},
      {kDelayFeedback1, 30}, {kDelayFeedback2, 26}, {kLfoPhase2, 180.9}, {kControlRate, 2},
      {kMatrixTab, 0}}},

    {"filter env2",
     {FILTER_CHAIN},
     // Rows 5 and 6 keep an amount with nothing selected; they link nothing.
     {{Mod::Envelope, To::FilterFreq1, 100}, {Mod::Envelope, To::FilterFreq2, 100},
      {Mod::Lfo1, To::FilterShape1, 100}, {Mod::Lfo2, To::FilterShape2, 100},
      {Mod::None, To::None, 100}, {Mod::None, To::None, 100}},
     {{kGain, 0.000001}, {kFilterFreq1, 100}, {kFilterRes1, 90.0075}, {kFilterFreq2, 99},
      {kFilterRes2, 90}, {kDryWetMix, 100}, {kDelayLengthQuarters1, 0},
      {kDelayLengthFine1, 0.5}, {kDelayLengthQuarters2, 0}, {kDelayLengthFine2, 0.5},
      {kLfoShape1, 24}, {kLfoShape2, 42}, {kLfoRate1, 0.593275}, {kLfoRate2, 0.17665},
      {kEnvAttack, 1}, {kEnvRelease, 10.029444}, {kDelayFeedback1, 20},
      {kDelayFeedback2, 20}, {kLfoPhase2, 180.6}, {kControlRate, 2}}},

    {"libr",
     {{In::In1, Out::Delay1, 100}, {In::In2, Out::Delay2, 100},
      {In::Delay1, Out::Filter1, 100}, {In::Delay2, Out::Filter2, 100},
      {In::Filter1, Out::Out1, 100}, {In::Filter2, Out::Out2, 100}},
     {{Mod::Lfo1, To::Master1, -100}, {Mod::Lfo2, To::Master2, -100},
      {Mod::Envelope, To::FilterFreq1, 62.5}, {Mod::Envelope, To::FilterFreq2, -42.5}},
     {{kFilterShape1, 89}, {kFilterFreq1, 409}, {kFilterRes1, 87.12}, {kFilterShape2, 75},
      {kFilterFreq2, 1127}, {kFilterRes2, 87.12}, {kDryWetMix, 75},
      {kDelayLengthQuarters1, 0}, {kDelayLengthFine1, 0.5}, {kDelayLengthQuarters2, 0},
      {kLfoShape1, 53}, {kLfoShape2, 80}, {kLfoRate1, 0.50995}, {kLfoRate2, 0.50995},
      {kLfoPhase2, 180.3}, {kControlRate, 2}, {kLfoReset, 0}}},

    {"autopan",
     {STRAIGHT_THROUGH},
     {{Mod::Lfo1, To::Pan1, 100}, {Mod::Lfo2, To::Pan2, -100}},
     {OPEN_FILTERS, {kDryWetMix, 100}, {kDelayLengthQuarters1, 0}, {kDelayLengthQuarters2, 0},
      {kLfoPhase2, 180.3}, {kControlRate, 2}, {kLfoReset, 0}}},

    {"pitch screw",
     {{In::In1, Out::Delay1, 100}, {In::In2, Out::Delay2, 100},
      {In::Delay1, Out::Out1, 100}, {In::Delay2, Out::Out2, 100},
      {In::Delay2, Out::DelayFb1, 100}, {In::Delay1, Out::DelayFb2, 100}},
     {{Mod::Lfo1, To::DelayTime1, 100}, {Mod::Lfo2, To::DelayTime2, 100},
      {Mod::Envelope, To::LfoRate1, -100}, {Mod::Envelope, To::LfoRate2, -100}},
     {OPEN_FILTERS, {kDryWetMix, 100}, {kDelayLengthQuarters1, 1}, {kDelayLengthFine1, 0.5},
      {kDelayLengthQuarters2, 2}, {kDelayLengthFine2, 0.5}, {kLfoShape1, 24},
      {kLfoShape2, 17}, {kDelayFeedback1, 32}, {kDelayFeedback2, 25}, {kLfoPhase2, 180.3},
      {kControlRate, 2}, {kLfoReset, 0}}},

    {"crush modd",
     {{In::In1, Out::Crusher1, 100}, {In::In2, Out::Crusher2, 100},
      {In::Crusher1, Out::Filter1, 100}, {In::Crusher2, Out::Filter2, 100},
      {In::Filter1, Out::Out1, 100}, {In::Filter2, Out::Out2, 100}},
     {{Mod::Envelope, To::CrusherBits1, -60}, {Mod::Envelope, To::CrusherBits2, -60},
      {Mod::Envelope, To::CrusherRate1, -55}, {Mod::Envelope, To::CrusherRate2, -52.5}},
     {{kCrusherBits1, 13.1968}, {kCrusherBits2, 13.1968}, {kFilterFreq1, 3333.499971},
      {kFilterFreq2, 3333.499971}, {kDryWetMix, 100}, {kEnvAttack, 1},
      {kEnvRelease, 250.235788}, {kControlRate, 2}, {kMatrixTab, 0}}},

    {"filter env3",
     {FILTER_CHAIN},
     {{Mod::Lfo1, To::FilterFreq1, 100}, {Mod::Lfo2, To::FilterFreq2, 100},
      {Mod::Envelope, To::LfoRate1, 50.625}, {Mod::Envelope, To::LfoRate2, 50.833333},
      {Mod::Envelope, To::LfoShape1, 17.5}, {Mod::Envelope, To::LfoShape2, -17.5}},
     {{kGain, 0.000001}, {kFilterFreq1, 100}, {kFilterRes1, 90.007503}, {kFilterFreq2, 99},
      {kFilterRes2, 89.999998}, {kDryWetMix, 100}, {kDelayLengthQuarters1, 0},
      {kDelayLengthFine1, 0.5}, {kDelayLengthQuarters2, 0}, {kDelayLengthFine2, 0.5},
      {kLfoShape2, 100}, {kLfoRate1, 0.01}, {kLfoRate2, 0.01}, {kEnvAttack, 1},
      {kEnvRelease, 10.029444}, {kDelayFeedback1, 20}, {kDelayFeedback2, 20},
      {kControlRate, 2}}},

    {"cross delay",
     {{In::In1, Out::Delay1, 100}, {In::In2, Out::Delay2, 100},
      {In::Delay1, Out::DelayFb2, 100}, {In::Delay2, Out::DelayFb1, 100},
      {In::Delay1, Out::Out1, 100}, {In::Delay2, Out::Out2, 100}},
     {},
     {{kGain, 0.000001}, {kFilterFreq1, 1000.000015}, {kFilterFreq2, 999.999976},
      {kDryWetMix, 100}, {kDelayLengthQuarters1, 1}, {kDelayLengthQuarters2, 1},
      {kDelayFeedback1, 20}, {kDelayFeedback2, 20}, {kControlRate, 2}, {kMatrixTab, 0}}},

    {"filtered delay",
     {{In::In1, Out::Delay1, 100}, {In::In2, Out::Delay2, 100},
      {In::Delay1, Out::Filter1, 100}, {In::Delay2, Out::Filter2, 100},
      {In::Delay1, Out::Out1, 100}, {In::Delay2, Out::Out2, 100},
      {In::Filter1, Out::DelayFb1, 100}, {In::Filter2, Out::DelayFb2, 100}},
     {},
     {{kGain, 0.000001}, {kFilterFreq1, 1000.000015}, {kFilterRes1, 65.34},
      {kFilterRes2, 71.28}, {kDryWetMix, 100}, {kDelayLengthQuarters1, 1},
      {kDelayLengthQuarters2, 1}, {kDelayFeedback1, 50}, {kDelayFeedback2, 50},
      {kControlRate, 2}, {kMatrixTab, 0}}},

    {"hp delay",
     {{In::In1, Out::Delay1, 100}, {In::In2, Out::Delay2, 100},
      {In::Delay1, Out::Filter1, 100}, {In::Delay2, Out::Filter2, 100},
      {In::Delay1, Out::Out1, 100}, {In::Delay2, Out::Out2, 100},
      {In::Filter1, Out::DelayFb1, 100}, {In::Filter2, Out::DelayFb2, 100}},
     {},
     {{kGain, 0.000001}, {kFilterShape1, 96}, {kFilterFreq1, 1000.000015},
      {kFilterShape2, 87}, {kDryWetMix, 100}, {kDelayLengthQuarters1, 1},
      {kDelayLengthQuarters2, 1}, {kDelayFeedback1, 50}, {kDelayFeedback2, 50},
      {kControlRate, 2}, {kMatrixTab, 0}}},

    {"crushed delay",
     {{In::In1, Out::Delay1, 100}, {In::In2, Out::Delay2, 100},
      {In::Delay1, Out::Crusher1, 100}, {In::Delay2, Out::Crusher2, 100},
      {In::Delay1, Out::Out1, 100}, {In::Delay2, Out::Out2, 100},
      {In::Crusher1, Out::DelayFb1, 100}, {In::Crusher2, Out::DelayFb2, 100}},
     {},
     {{kGain, 0.000001}, {kCrusherBits1, 2.2348}, {kCrusherRate1, 34.66},
      {kCrusherBits2, 2.2348}, {kCrusherRate2, 21.79}, {kFilterFreq1, 1000.000015},
      {kFilterRes1, 65.34}, {kFilterRes2, 71.28}, {kDryWetMix, 100},
      {kDelayLengthQuarters1, 1}, {kDelayLengthQuarters2, 1}, {kDelayFeedback1, 30},
      {kDelayFeedback2, 25}, {kControlRate, 2}, {kMatrixTab, 0}}},
};

#undef FILTER_CHAIN
#undef STRAIGHT_THROUGH
#undef OPEN_FILTERS

}  // namespace

const FactoryPreset& FactoryPresetAt(int number) { return kFactoryPresets[number]; }

void FactoryPresetValues(int number, double (&values)[kParameterCount]) {
  DefaultParameterValues(values);
  const FactoryPreset& preset = kFactoryPresets[number];
  for (int row = 0; row < kMatrixSlots; ++row) {
    const int slot = row + 1;
    values[AudioInIndex(slot)] = preset.audio[row].source;
    values[AudioOutIndex(slot)] = preset.audio[row].destination;
    values[AudioAmountIndex(slot)] = preset.audio[row].amount;
    values[ModInIndex(slot)] = preset.modulation[row].source;
    values[ModOutIndex(slot)] = preset.modulation[row].destination;
    values[ModAmountIndex(slot)] = preset.modulation[row].amount;
  }
  for (const FactorySetting& setting : preset.others) {
    if (setting.index < 0) break;
    values[setting.index] = setting.value;
  }
}
