#include "effect/DefineParameters.h"

#include "effect/ParameterTable.h"
#include "framework/IEffectBase.h"

void DefineParameters(IEffectBase& effect) {
  for (int index = 0; index < kParameterCount && index < effect.ParameterCount(); ++index) {
    const ParameterDefinition& row = ParameterDefinitionAt(index);
    IParameter& parameter = *effect.Parameter(index);
    switch (row.kind) {
      case ParameterKind::Double:
        parameter.DefineDouble(row.name, row.defaultValue, row.minimum, row.maximum, row.step,
                               row.label);
        break;
      case ParameterKind::Bool:
        parameter.DefineBool(row.name, row.defaultValue != 0.0);
        break;
      case ParameterKind::Enum:
        parameter.DefineEnum(row.name, static_cast<int>(row.defaultValue), row.valueTexts.count);
        for (int value = 0; value < row.valueTexts.count; ++value) {
          parameter.AddValueText(value, row.valueTexts.texts[value]);
        }
        break;
    }
    if (row.curveExponent != 1.0) parameter.SetCurveExponent(row.curveExponent);
  }
}
