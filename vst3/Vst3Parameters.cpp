#include "vst3/Vst3Parameters.h"

#include <cmath>
#include <cstring>

#include "effect/FactoryPresets.h"
#include "framework/NumberFormat.h"
#include "framework/ParseDecimal.h"
#include "vst3/Vst3Text.h"

namespace brume_vst3 {
namespace {

using vst3::ParameterInfo;

constexpr int kProgramSteps = kFactoryPresetCount - 1;
constexpr int kModWheelSteps = 127;

struct BindingParameter {
  vst3::ParamID id;
  const char* title;
  int steps;
  vst3::int32 flags;
};
// Bypass: automatable, the host's designated bypass. Program: a list the
// host shows as presets, not automated. Mod wheel: only reached through the
// host's MIDI controller mapping, so neither automatable nor shown.
constexpr BindingParameter kBinding[kBindingParameters] = {
    {kBypassId, "Bypass", 1, ParameterInfo::kCanAutomate | ParameterInfo::kIsBypass},
    {kProgramId, "Program", kProgramSteps, ParameterInfo::kIsProgramChange | ParameterInfo::kIsList},
    {kModWheelId, "Mod Wheel", 0, ParameterInfo::kNoFlags},
};

int EffectSteps(const IParameter& parameter) {
  if (parameter.Kind() == IParameter::kBool) return 1;
  if (parameter.Kind() == IParameter::kEnum) return static_cast<int>(parameter.Maximum() - parameter.Minimum());
  return 0;
}

const IParameter* EffectParameter(const IParameterStore& parameters, vst3::ParamID id) {
  return id < static_cast<vst3::ParamID>(kParameterCount) ? parameters.Parameter(static_cast<int>(id)) : nullptr;
}

// Into [0, 1]; NaN, which hosts may send, as 0.
double Limit(double n) { return n > 0.0 ? (n < 1.0 ? n : 1.0) : 0.0; }

}  // namespace

vst3::ParamID IdAt(int listIndex) {
  if (listIndex >= 0 && listIndex < kParameterCount) return static_cast<vst3::ParamID>(listIndex);
  if (listIndex >= kParameterCount && listIndex < kControllerParameterCount) return kBinding[listIndex - kParameterCount].id;
  return 0xFFFFFFFFu;
}

bool Describe(const IParameterStore& parameters, int listIndex, ParameterInfo& info) {
  if (listIndex < 0 || listIndex >= kControllerParameterCount) return false;
  std::memset(&info, 0, sizeof info);
  info.id = IdAt(listIndex);
  info.unitId = vst3::kRootUnitId;
  if (listIndex >= kParameterCount) {
    const BindingParameter& row = kBinding[listIndex - kParameterCount];
    ToUtf16(row.title, info.title, 128);
    ToUtf16(row.title, info.shortTitle, 128);
    info.stepCount = row.steps;
    info.flags = row.flags;
    return true;
  }
  const IParameter& parameter = *parameters.Parameter(listIndex);
  ToUtf16(parameter.Name(), info.title, 128);
  ToUtf16(parameter.Name(), info.shortTitle, 128);
  ToUtf16(parameter.Label(), info.units, 128);
  info.stepCount = EffectSteps(parameter);
  info.defaultNormalizedValue = parameter.NormalisedOf(parameter.Default());
  info.flags = ParameterInfo::kCanAutomate | (parameter.Kind() == IParameter::kEnum ? ParameterInfo::kIsList : 0);
  return true;
}

int StepIndex(double normalised, int steps) {
  const double n = Limit(normalised);
  const int index = static_cast<int>(n * (steps + 1));
  return index < steps ? index : steps;
}

double ToPlain(const IParameterStore& parameters, vst3::ParamID id, double normalised) {
  if (const IParameter* parameter = EffectParameter(parameters, id)) return parameter->ValueOfNormalised(Limit(normalised));
  if (id == kProgramId) return StepIndex(normalised, kProgramSteps);
  if (id == kModWheelId) return Limit(normalised) * kModWheelSteps;
  return Limit(normalised);
}

double ToNormalised(const IParameterStore& parameters, vst3::ParamID id, double plain) {
  if (const IParameter* parameter = EffectParameter(parameters, id)) return parameter->NormalisedOf(plain);
  if (id == kProgramId) return Limit(plain / kProgramSteps);
  if (id == kModWheelId) return Limit(plain / kModWheelSteps);
  return Limit(plain);
}

bool DisplayText(const IParameterStore& parameters, vst3::ParamID id, double normalised,
                 char (&out)[IParameter::kTextSize]) {
  if (const IParameter* parameter = EffectParameter(parameters, id)) {
    parameter->DisplayText(parameter->ValueOfNormalised(Limit(normalised)), false, out, true);
    return true;
  }
  if (id == kBypassId) {
    CopyText(out, normalised >= 0.5 ? "on" : "off", IParameter::kTextSize);
  } else if (id == kProgramId) {
    CopyText(out, FactoryPresetAt(StepIndex(normalised, kProgramSteps)).name, IParameter::kTextSize);
  } else if (id == kModWheelId) {
    FormatTruncated(std::floor(Limit(normalised) * kModWheelSteps + 0.5), out, IParameter::kTextSize);
  } else {
    return false;
  }
  return true;
}

bool ParseText(const IParameterStore& parameters, vst3::ParamID id, const char* text, double* normalised) {
  if (!text || !normalised) return false;
  if (const IParameter* parameter = EffectParameter(parameters, id)) {
    double value;
    if (parameter->ValueTextCount() > 0) {
      int found = 0;
      if (!parameter->FindValueText(text, &found)) return false;
      value = found;
    } else {
      value = parameter->ClampedValueOf(ParseDecimal(text, IParameter::kTextSize * 2));
      if (std::isnan(value)) return false;
    }
    *normalised = parameter->NormalisedOf(value);
    return true;
  }
  if (id == kBypassId) {
    if (std::strcmp(text, "on") != 0 && std::strcmp(text, "off") != 0) return false;
    *normalised = text[1] == 'n' ? 1.0 : 0.0;
  } else if (id == kProgramId) {
    for (int p = 0; p < kFactoryPresetCount; ++p)
      if (std::strcmp(text, FactoryPresetAt(p).name) == 0) {
        *normalised = static_cast<double>(p) / kProgramSteps;
        return true;
      }
    return false;
  } else if (id == kModWheelId) {
    const double v = ParseDecimal(text, IParameter::kTextSize * 2);
    if (std::isnan(v)) return false;
    *normalised = Limit(v / kModWheelSteps);
  } else {
    return false;
  }
  return true;
}

void FactoryProgram(const IParameterStore& parameters, int number, double (&values)[kParameterCount]) {
  FactoryPresetValues(number, values);
  for (int i = 0; i < kParameterCount; ++i) {
    const IParameter& parameter = *parameters.Parameter(i);
    const double v = parameter.IsIntegral() ? TruncateToInt(values[i]) : values[i];
    values[i] = parameter.ClampedValueOf(v);
  }
}

}  // namespace brume_vst3
