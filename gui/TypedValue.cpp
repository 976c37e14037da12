#include "gui/TypedValue.h"

#include <cstring>

#include "framework/IParameter.h"
#include "framework/ParseDecimal.h"
#include "gui/IControl.h"

void ApplyTypedValue(IControl& control, const IParameter* parameter, const char* text) {
  if (!parameter) {
    control.OnTextEntered(text);
    return;
  }
  double value = 0.0;
  if (parameter->Kind() == IParameter::kBool || parameter->Kind() == IParameter::kEnum) {
    int found = 0;
    if (parameter->FindValueText(text, &found)) value = found;
  } else {
    value = ParseDecimal(text, static_cast<int>(std::strlen(text)) + 1);
  }
  control.ApplyUserValue(parameter->NormalisedOf(value));
}
