#include "clap/ClapParameters.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "framework/NumberFormat.h"
#include "framework/ParseDecimal.h"

namespace brume_clap {
namespace {

// The module (a path a host may show as a tree) of each parameter.
struct ModuleRange {
  int first, last;
  const char* module;
};
constexpr ModuleRange kModules[] = {
    {kGain, kGain, "Output"},
    {kCrusherBits1, kCrusherRate1, "Crusher 1"},
    {kCrusherBits2, kCrusherRate2, "Crusher 2"},
    {kFilterShape1, kFilterRes1, "Filter 1"},
    {kFilterShape2, kFilterRes2, "Filter 2"},
    {kPan1, kDryWetMix, "Output"},
    {kDelayLengthQuarters1, kDelayLengthFine1, "Delay 1"},
    {kDelayLengthQuarters2, kDelayLengthFine2, "Delay 2"},
    {kLfoShape1, kLfoShape1, "LFO 1"},
    {kLfoShape2, kLfoShape2, "LFO 2"},
    {kLfoRate1, kLfoRate1, "LFO 1"},
    {kLfoRate2, kLfoRate2, "LFO 2"},
    {kEnvAttack, kEnvRelease, "Envelope"},
    {kSoftClip, kMaster2, "Output"},
    {kDelayFeedback1, kDelayFeedback1, "Delay 1"},
    {kDelayFeedback2, kDelayFeedback2, "Delay 2"},
    {kLfoPhase1, kLfoPhase1, "LFO 1"},
    {kLfoPhase2, kLfoPhase2, "LFO 2"},
    {kControlRate, kControlRate, "Modulation"},
    {kLfoReset, kLfoReset, "Modulation"},
    {kMatrixTab, kMatrixTab, "Editor"},
};

void ModuleOf(int index, char* out, size_t size) {
  if (index >= AudioInIndex(1) && index <= AudioAmountIndex(kMatrixSlots)) {
    std::snprintf(out, size, "Audio Matrix/Row %d", (index - AudioInIndex(1)) / 3 + 1);
    return;
  }
  if (index >= ModInIndex(1) && index <= ModAmountIndex(kMatrixSlots)) {
    std::snprintf(out, size, "Modulation Matrix/Row %d", (index - ModInIndex(1)) / 3 + 1);
    return;
  }
  for (const ModuleRange& range : kModules)
    if (index >= range.first && index <= range.last) {
      std::snprintf(out, size, "%s", range.module);
      return;
    }
  out[0] = '\0';
}

}  // namespace

const IParameter* EffectParameter(const IParameterStore& parameters, uint32_t id) {
  return id < static_cast<uint32_t>(kParameterCount) ? parameters.Parameter(static_cast<int>(id)) : nullptr;
}

bool Describe(const IParameterStore& parameters, uint32_t index, clap::ParamInfo& info) {
  if (index >= kParamCount) return false;
  std::memset(&info, 0, sizeof info);
  info.id = index;
  if (index == kBypassParamId) {
    info.flags = clap::kParamIsBypass | clap::kParamIsStepped | clap::kParamIsAutomatable;
    std::snprintf(info.name, sizeof info.name, "Bypass");
    info.max_value = 1.0;
    return true;
  }
  const IParameter& parameter = *parameters.Parameter(static_cast<int>(index));
  // Every parameter automatable: hosts such as Qtractor hide the rest.
  info.flags = clap::kParamIsAutomatable;
  if (parameter.IsIntegral()) info.flags |= clap::kParamIsStepped;
  if (parameter.Kind() == IParameter::kEnum) info.flags |= clap::kParamIsEnum;
  std::snprintf(info.name, sizeof info.name, "%s", parameter.Name());
  ModuleOf(static_cast<int>(index), info.module, sizeof info.module);
  info.min_value = parameter.Minimum();
  info.max_value = parameter.Maximum();
  info.default_value = parameter.Default();
  return true;
}

bool ValueToText(const IParameterStore& parameters, uint32_t id, double value, char* text, uint32_t capacity) {
  if (!text || capacity == 0 || std::isnan(value)) return false;
  char shown[IParameter::kTextSize];
  if (const IParameter* parameter = EffectParameter(parameters, id)) {
    parameter->DisplayText(parameter->ClampedValueOf(value), false, shown, true);
    if (parameter->ValueTextCount() == 0 && parameter->Label()[0] != '\0')
      std::snprintf(text, capacity, "%s %s", shown, parameter->Label());
    else
      std::snprintf(text, capacity, "%s", shown);
    return true;
  }
  if (id != kBypassParamId) return false;
  std::snprintf(text, capacity, "%s", value >= 0.5 ? "on" : "off");
  return true;
}

bool TextToValue(const IParameterStore& parameters, uint32_t id, const char* text, double* value) {
  if (!text || !value) return false;
  if (const IParameter* parameter = EffectParameter(parameters, id)) {
    if (parameter->ValueTextCount() > 0) {
      int found = 0;
      if (!parameter->FindValueText(text, &found)) return false;
      *value = found;
      return true;
    }
    // The number as the VST 2.4 plug-in reads it; a unit after it is ignored.
    const double parsed = parameter->ClampedValueOf(ParseDecimal(text, IParameter::kTextSize * 2));
    if (std::isnan(parsed)) return false;
    *value = parsed;
    return true;
  }
  if (id != kBypassParamId) return false;
  if (std::strcmp(text, "on") != 0 && std::strcmp(text, "off") != 0) return false;
  *value = text[1] == 'n' ? 1.0 : 0.0;
  return true;
}

}  // namespace brume_clap
