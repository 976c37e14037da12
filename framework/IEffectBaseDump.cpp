// Plug-in base: the current values written as preset-maker source text, to
// be pasted into the effect's factory preset table.
#include <cstdio>

#include "framework/IEffectBase.h"
#include "framework/NumberFormat.h"

void IEffectBase::DumpPresetSource(const char* path, const char* const* names) const {
  if (!path) return;
  std::FILE* file = std::fopen(path, "w");
  if (!file) return;  // nowhere to write: nothing is written
  std::fprintf(file, "  MakePresetFromNamedParams(\"name\", %d", ParameterCount());
  for (int i = 0; i < ParameterCount(); ++i) {
    const IParameter& parameter = *Parameter(i);
    char value[400];
    if (parameter.Kind() == IParameter::kBool)
      CopyText(value, parameter.Value() >= 0.5 ? "true" : "false", sizeof value);
    else if (parameter.IsIntegral())
      FormatTruncated(parameter.Value(), value, sizeof value);
    else
      FormatFixed(parameter.Value(), 6, value, sizeof value);  // '.' whatever the locale
    char fallback[16];
    const char* name = names ? names[i] : nullptr;
    if (!name) {
      std::snprintf(fallback, sizeof fallback, "%d", i);
      name = fallback;
    }
    std::fprintf(file, ",\n    %s, %s", name, value);
  }
  std::fputs(");\n", file);
  std::fclose(file);
}
