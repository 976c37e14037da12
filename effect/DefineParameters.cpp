#include "effect/DefineParameters.h"

#include "effect/ParameterTable.h"
#include "framework/IEffectBase.h"
#include "framework/IParameterStore.h"

namespace {

void DefineParameter(int index, IParameter& parameter) {
  const ParameterDefinition& row = ParameterDefinitionAt(index);
  switch (row.kind) {
    case ParameterKind::Double:
      parameter.DefineDouble(row.name, row.defaultValue, row.minimum, row.maximum, row.step, row.label);
      break;
    case ParameterKind::Bool:
      parameter.DefineBool(row.name, row.defaultValue != 0.0);
      break;
    case ParameterKind::Enum:
      parameter.DefineEnum(row.name, static_cast<int>(row.defaultValue), row.valueTexts.count);
      for (int value = 0; value < row.valueTexts.count; ++value)
        parameter.AddValueText(value, row.valueTexts.texts[value]);
      break;
  }
  if (row.curveExponent != 1.0) parameter.SetCurveExponent(row.curveExponent);
}

}  // namespace

void DefineParameters(IEffectBase& effect) {
  for (int index = 0; index < kParameterCount && index < effect.ParameterCount(); ++index)
    DefineParameter(index, *effect.Parameter(index));
}

void DefineParameters(IParameterStore& parameters) {
  for (int index = 0; index < kParameterCount && index < parameters.Count(); ++index)
    DefineParameter(index, *parameters.Parameter(index));
}
