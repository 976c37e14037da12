#pragma once
// Brume's parameters as a CLAP host sees them: the effect's 106 with their
// indices as stable IDs, in their own units (ranges, defaults, stepped and
// enum flags, module paths such as "Filter 1"), texts shown and parsed as
// the VST 2.4 plug-in does, and the bypass switch as one more parameter.
// Pure functions of the definitions.
#include <cstdint>

#include "clap/ClapAbi.h"
#include "effect/ParameterIds.h"
#include "framework/IParameterStore.h"

namespace brume_clap {

constexpr uint32_t kBypassParamId = kParameterCount;  // after the effect's, never to change
constexpr uint32_t kParamCount = kParameterCount + 1;

bool Describe(const IParameterStore& parameters, uint32_t index, clap::ParamInfo& info);
// The effect's parameter of `id`, or null (the bypass, or unknown).
const IParameter* EffectParameter(const IParameterStore& parameters, uint32_t id);
bool ValueToText(const IParameterStore& parameters, uint32_t id, double value, char* text, uint32_t capacity);
bool TextToValue(const IParameterStore& parameters, uint32_t id, const char* text, double* value);

}  // namespace brume_clap
