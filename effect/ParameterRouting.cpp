#include "effect/ParameterRouting.h"

#include <cmath>

#include "effect/ParameterIds.h"
#include "engine/Engine.h"

namespace {

// Choice parameters hold whole numbers; read them by truncation toward zero.
// Anything that is not a sensible choice (NaN, huge) becomes -1, which no
// list accepts.
int Choice(double value) {
  if (!(value > -1.0e6 && value < 1.0e6)) return -1;
  return static_cast<int>(value);
}

// Parameters that set a modulator's base, with the divisor that turns the
// parameter's unit (percent, degrees, Hz, bits, factor) into the target's.
struct BaseSetting {
  int index;
  Modulator Engine::*modulator;
  double divisor;
};

const BaseSetting kBaseSettings[] = {
    {kCrusherBits1, &Engine::crusherBitsModLeft, 1.0},
    {kCrusherRate1, &Engine::crusherRateModLeft, 100.0},
    {kCrusherBits2, &Engine::crusherBitsModRight, 1.0},
    {kCrusherRate2, &Engine::crusherRateModRight, 100.0},
    {kFilterShape1, &Engine::filterShapeModLeft, 100.0},
    {kFilterFreq1, &Engine::filterFreqModLeft, 1.0},
    {kFilterRes1, &Engine::filterResModLeft, 100.0},
    {kFilterShape2, &Engine::filterShapeModRight, 100.0},
    {kFilterFreq2, &Engine::filterFreqModRight, 1.0},
    {kFilterRes2, &Engine::filterResModRight, 100.0},
    {kPan1, &Engine::panModLeft, 1.0},
    {kPan2, &Engine::panModRight, 1.0},
    {kDelayLengthFine1, &Engine::delayTimeModLeft, 1.0},
    {kDelayLengthFine2, &Engine::delayTimeModRight, 1.0},
    {kLfoShape1, &Engine::lfoShapeModLeft, 100.0},
    {kLfoShape2, &Engine::lfoShapeModRight, 100.0},
    {kLfoRate1, &Engine::lfoRateModLeft, 1.0},
    {kLfoRate2, &Engine::lfoRateModRight, 1.0},
    {kMaster1, &Engine::masterModLeft, 100.0},
    {kMaster2, &Engine::masterModRight, 100.0},
    {kDelayFeedback1, &Engine::delayFeedbackModLeft, 100.0},
    {kDelayFeedback2, &Engine::delayFeedbackModRight, 100.0},
    {kLfoPhase1, &Engine::lfoPhaseModLeft, 360.0},
    {kLfoPhase2, &Engine::lfoPhaseModRight, 360.0},
};

// Lookup by parameter index, built once from the table above.
struct BaseSettingIndex {
  const BaseSetting* byIndex[kParameterCount] = {};
  BaseSettingIndex() {
    for (const BaseSetting& s : kBaseSettings) byIndex[s.index] = &s;
  }
};

const BaseSetting* FindBaseSetting(int index) {
  static const BaseSettingIndex table;
  return table.byIndex[index];
}

enum class RowPart { Source, Destination, Amount };

// Applies one of a row's three parameters. `source`/`destination` give the
// module for a choice, or null for an invalid one.
template <typename SourceOf, typename DestinationOf>
void ApplyRowPart(Connection& row, RowPart part, double value, int sourceCount,
                  int destinationCount, SourceOf source, DestinationOf destination) {
  const int v = Choice(value);
  switch (part) {
    case RowPart::Source:
      if (v == 0) {
        row.ClearSource();
      } else if (v > 0 && v < sourceCount) {
        if (AudioModule* m = source(v)) row.SetSource(m);
      }
      break;
    case RowPart::Destination:
      if (v == 0) {
        row.ClearDestination();
      } else if (v > 0 && v < destinationCount) {
        if (AudioModule* m = destination(v)) row.SetDestination(m);
      }
      break;
    case RowPart::Amount:
      row.SetAmount(value / 100.0);  // percent -> signed weight
      break;
  }
}

constexpr int kAudioSourceChoices = 9;        // "..." + 8 modules
constexpr int kAudioDestinationChoices = 11;  // "..." + 10 modules
constexpr int kModSourceChoices = 8;          // "..." + 7 sources
constexpr int kModTargetChoices = 25;         // "..." + 24 modulators

bool ApplyMatrixParameter(Engine& engine, int index, double value) {
  if (index >= kAudioIn1 && index <= kAudioAmount12) {
    const int offset = index - kAudioIn1;
    ApplyRowPart(engine.audioMatrix[offset / 3], static_cast<RowPart>(offset % 3), value,
                 kAudioSourceChoices, kAudioDestinationChoices,
                 [&](int v) { return engine.AudioSource(v); },
                 [&](int v) { return engine.AudioDestination(v); });
    return true;
  }
  if (index >= kModIn1 && index <= kModAmount12) {
    const int offset = index - kModIn1;
    ApplyRowPart(engine.modulationMatrix[offset / 3], static_cast<RowPart>(offset % 3), value,
                 kModSourceChoices, kModTargetChoices,
                 [&](int v) { return engine.ModulationSource(v); },
                 [&](int v) -> AudioModule* { return engine.ModulationTarget(v); });
    return true;
  }
  return false;
}

}  // namespace

void ApplyParameterChange(Engine& engine, int index, double value) {
  if (index < 0 || index >= kParameterCount) return;
  if (ApplyMatrixParameter(engine, index, value)) return;
  if (const BaseSetting* setting = FindBaseSetting(index)) {
    (engine.*(setting->modulator)).base = value / setting->divisor;
    return;
  }
  switch (index) {
    case kGain:
      // Decibels to a linear factor: exp(dB x ln(10) / 20).
      engine.envelopeInputGain = std::exp(value * 0.1151292546497);
      break;
    case kDryWetMix:
      engine.dryWetMix = value / 100.0;
      break;
    case kDelayLengthQuarters1:
    case kDelayLengthQuarters2: {
      // The choice value itself is the count of quarter-beats ("1 qtr" is 0).
      const int quarters = Choice(value);
      if (quarters >= 0 && quarters <= 15) {
        (index == kDelayLengthQuarters1 ? engine.delayLeft : engine.delayRight)
            .SetQuarters(quarters);
      }
      break;
    }
    case kEnvAttack:
      engine.envFollower.SetAttack(value / 1000.0);  // ms -> s
      break;
    case kEnvRelease:
      engine.envFollower.SetRelease(value / 1000.0);
      break;
    case kSoftClip:
      engine.softClip = value >= 0.5;
      break;
    case kControlRate:
      engine.SetControlRateChoice(Choice(value));
      break;
    case kLfoReset:
      // Any write restarts both LFOs, so applying a preset or state always
      // starts them in phase.
      engine.ResetLfoPhases();
      break;
    default:
      break;
  }
}
