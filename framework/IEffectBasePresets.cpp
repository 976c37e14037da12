// Plug-in base: program and bank state chunks and the preset slots.
//
// Chunks come from hosts and project files and are untrusted: every read is
// bounds-checked by IStateChunk, names are truncated to the slot size, and a
// slot is only replaced by data that could be read completely.
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#include "framework/IEffectBase.h"
#include "framework/ITrace.h"
#include "framework/NumberFormat.h"

bool IEffectBase::SerializeParams(IStateChunk& chunk) {
  LockGuard guard(*this);
  for (int i = 0; i < ParameterCount(); ++i) {
    const IParameter& parameter = parameters_[static_cast<size_t>(i)];
    TracePoint("IEffectBase::SerializeParams", __LINE__, "%d %s %f", i, parameter.Name(),
               parameter.Value());
    if (!chunk.AppendDouble(parameter.Value())) return false;
  }
  return true;
}

int IEffectBase::UnserializeParams(const IStateChunk& chunk, int position) {
  LockGuard guard(*this);
  RefreshBatch batch(*this);
  int p = position;
  for (int i = 0; i < ParameterCount() && p >= 0; ++i) {
    IParameter& parameter = parameters_[static_cast<size_t>(i)];
    double v = 0.0;
    p = chunk.ReadDouble(p, &v);
    if (p < 0) v = 0.0;  // where the data runs out the parameter gets 0 within its range
    TracePoint("IEffectBase::UnserializeParams", __LINE__, "%d %s %f", i, parameter.Name(), v);
    parameter.SetClamped(v);
  }
  NotifyAllParametersChanged();
  return p;
}

bool IEffectBase::SerializePresets(IStateChunk& chunk) {
  LockGuard guard(*this);
  for (size_t i = 0; i < presets_.size(); ++i) {
    const IPreset& slot = presets_[i];
    if (!chunk.AppendText(slot.name)) return false;
    TracePoint("IEffectBase::SerializePresets", __LINE__, "%d %s", static_cast<int>(i), slot.name);
    if (!chunk.AppendBool(slot.initialised)) return false;
    if (slot.initialised && !chunk.AppendBytes(slot.values.Data(), slot.values.Size()))
      return false;
  }
  return true;
}

int IEffectBase::UnserializePresets(const IStateChunk& chunk, int position) {
  LockGuard guard(*this);
  RefreshBatch batch(*this);
  int p = position;
  for (size_t i = 0; i < presets_.size() && p >= 0; ++i) {
    IPreset& slot = presets_[i];
    char name[IPreset::kNameSize];
    p = chunk.ReadText(p, name, IPreset::kNameSize);
    // Names this plug-in writes are never empty; an empty or unreadable one
    // leaves the slot's own name in place.
    if (p >= 0 && name[0] != '\0') CopyText(slot.name, name, IPreset::kNameSize);
    TracePoint("IEffectBase::UnserializePresets", __LINE__, "%d %s", static_cast<int>(i),
               slot.name);
    bool flag = false;
    p = (p >= 0) ? chunk.ReadBool(p, &flag) : -1;
    if (p < 0) break;
    const bool wasInitialised = slot.initialised;
    slot.initialised = flag;
    if (!slot.initialised) continue;  // keeps its stored values
    p = IEffectBase::UnserializeParams(chunk, p);
    if (p > 0) {
      // Store exactly one block of the values as clamped.
      slot.values.Clear();
      IEffectBase::SerializeParams(slot.values);
    } else {
      // Its values could not be read: the slot stays as it was.
      slot.initialised = wasInitialised;
    }
  }
  LoadPreset(currentPreset_);
  return p;
}

const IPreset* IEffectBase::Preset(int index) const {
  if (index < 0 || index >= PresetCount()) return nullptr;
  return &presets_[static_cast<size_t>(index)];
}

void IEffectBase::FillEmptyPresets(const char* name, int count) {
  for (int n = 0; n < count; ++n) {
    for (IPreset& slot : presets_) {
      if (slot.initialised) continue;
      slot.initialised = true;
      CopyText(slot.name, name ? name : "Empty", IPreset::kNameSize);
      slot.values.Clear();  // a slot switched off by a bank may still hold values
      IEffectBase::SerializeParams(slot.values);
      break;
    }
  }
}

void IEffectBase::MakePresetFromNamedParams(const char* name,
                                            std::initializer_list<IPresetValue> values) {
  MakePresetFromNamedParams(name, values.begin(), static_cast<int>(values.size()));
}

void IEffectBase::MakePresetFromNamedParams(const char* name, const IPresetValue* values,
                                            int count) {
  IPreset* slot = nullptr;
  for (IPreset& candidate : presets_) {
    if (!candidate.initialised) {
      slot = &candidate;
      break;
    }
  }
  if (!slot) return;
  slot->initialised = true;
  CopyText(slot->name, name, IPreset::kNameSize);
  slot->values.Clear();

  std::vector<double> preset(parameters_.size(), kPresetMarker);
  for (int k = 0; values && k < count; ++k) {
    const IPresetValue& pair = values[k];
    const IParameter* parameter = Parameter(pair.index);
    if (!parameter) continue;  // a stray index must not write anywhere
    double v = pair.value;
    // The marker means "current value" for every kind; integral kinds
    // otherwise take whole numbers, truncated like an int conversion.
    if (v != kPresetMarker && parameter->IsIntegral()) v = TruncateToInt(v);
    preset[static_cast<size_t>(pair.index)] = v;
  }
  for (size_t i = 0; i < preset.size(); ++i) {
    if (preset[i] == kPresetMarker) preset[i] = parameters_[i].Value();
    slot->values.AppendDouble(preset[i]);
  }
}

bool IEffectBase::LoadPreset(int index) {
  if (index < 0 || index >= PresetCount()) return false;
  RefreshBatch batch(*this);
  IPreset& slot = presets_[static_cast<size_t>(index)];
  bool ok;
  if (!slot.initialised) {
    // First visit: the slot keeps the state the user had.
    char name[IPreset::kNameSize];
    NextUserPresetName(name);
    slot.initialised = true;
    CopyText(slot.name, name, IPreset::kNameSize);
    // Replace, not append: a block left behind would be read instead.
    slot.values.Clear();
    ok = IEffectBase::SerializeParams(slot.values);
  } else {
    ok = IEffectBase::UnserializeParams(slot.values, 0) > 0;
  }
  if (ok) {
    currentPreset_ = index;
    PresetListEdited();
    RefreshParameterControls();
  }
  return ok;
}

void IEffectBase::ModifyCurrentPreset(const char* name) {
  if (currentPreset_ < 0 || currentPreset_ >= PresetCount()) return;
  IPreset& slot = presets_[static_cast<size_t>(currentPreset_)];
  slot.values.Clear();
  TracePoint("IEffectBase::ModifyCurrentPreset", __LINE__, "%d %s", currentPreset_, slot.name);
  IEffectBase::SerializeParams(slot.values);
  if (name && name[0] != '\0') CopyText(slot.name, name, IPreset::kNameSize);
}

const char* IEffectBase::PresetName(int index) const {
  const IPreset* slot = Preset(index);
  return slot ? slot->name : "";
}

void IEffectBase::NextUserPresetName(char* out) const {
  if (!out) return;
  int count = 0;
  for (const IPreset& slot : presets_)
    if (std::strstr(slot.name, "user preset")) ++count;
  std::snprintf(out, IPreset::kNameSize, "%s %d", "user preset", count + 1);
}
