#pragma once
// Brume's parameters as a VST3 controller describes them: the effect's 106
// (names, units, steps, defaults, display texts and text parsing exactly as
// the VST 2.4 plug-in has them) and the binding's own bypass, program and
// mod-wheel parameters. Pure functions of the definitions: hosts call the
// conversions from any thread, the audio thread included.
#include "framework/IParameter.h"
#include "framework/IParameterStore.h"
#include "vst3/BrumeVst3Ids.h"
#include "vst3/Vst3Abi.h"

namespace brume_vst3 {

// The parameter ID at a position of the controller's list
// (0..kControllerParameterCount-1), or 0xFFFFFFFF.
vst3::ParamID IdAt(int listIndex);

// False for an index outside the list.
bool Describe(const IParameterStore& parameters, int listIndex, vst3::ParameterInfo& info);

// stepCount-style index of a normalised value: min(steps, n * (steps + 1)).
int StepIndex(double normalised, int steps);

double ToPlain(const IParameterStore& parameters, vst3::ParamID id, double normalised);
double ToNormalised(const IParameterStore& parameters, vst3::ParamID id, double plain);

// The text the VST 2.4 plug-in shows for a parameter set to `normalised`;
// false for an unknown ID.
bool DisplayText(const IParameterStore& parameters, vst3::ParamID id, double normalised,
                 char (&out)[IParameter::kTextSize]);
// The VST 2.4 plug-in's text entry: a value text where the parameter has
// them, a decimal number otherwise. False for an unknown ID or text.
bool ParseText(const IParameterStore& parameters, vst3::ParamID id, const char* text, double* normalised);

// Factory program `number` as the VST 2.4 plug-in's program slots hold it:
// integral kinds truncated to whole numbers, every value in its range.
void FactoryProgram(const IParameterStore& parameters, int number, double (&values)[kParameterCount]);

}  // namespace brume_vst3
