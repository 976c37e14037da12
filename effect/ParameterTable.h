#pragma once

#include "effect/ParameterIds.h"

// Kestrel's parameter set as data: what each of the 106 parameters is called,
// its kind, range, default, step, unit label, curve and value texts.
// Framework-free so the preset table and tools can read it; the definition
// on the plug-in's IParameter objects is done by DefineParameters.

enum class ParameterKind { Double, Enum, Bool };

struct ValueTextList {
  const char* const* texts = nullptr;  // texts[v] is shown for value v
  int count = 0;
};

struct ParameterDefinition {
  ParameterKind kind = ParameterKind::Double;
  char name[32] = {};
  double defaultValue = 0.0;
  double minimum = 0.0;
  double maximum = 1.0;
  double step = 1.0;
  const char* label = "";
  double curveExponent = 1.0;
  ValueTextList valueTexts;  // enums only; bools get "off"/"on" from IParameter
};

// The definition of parameter `index`; index must be in 0..kParameterCount-1.
const ParameterDefinition& ParameterDefinitionAt(int index);

// Default value of every parameter, in index order.
void DefaultParameterValues(double (&values)[kParameterCount]);
