// Plug-in base: program and bank state chunks and the preset slots.
//
// Chunks come from hosts and project files and are untrusted: every read is
// bounds-checked by IStateChunk and names are truncated to the slot size. A
// program or a bank is decoded and checked whole into scratch space before
// anything changes, so bad data changes nothing; the values then reach the
// parameter store as one finished set, which the audio thread applies at the
// start of its next block.
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
    const IParameter& parameter = *Parameter(i);
    TracePoint("IEffectBase::SerializeParams", __LINE__, "%d %s %f", i, parameter.Name(),
               parameter.Value());
    if (!chunk.AppendDouble(parameter.Value())) return false;
  }
  return true;
}

// One program's values from p on, each limited to its parameter's range.
// -1 when the data ends first or holds a value that is not finite.
int IEffectBase::DecodeParams(const IStateChunk& chunk, int p, double* out) const {
  for (int i = 0; i < ParameterCount() && p >= 0; ++i) {
    double v = 0.0;
    p = chunk.ReadDouble(p, &v);
    if (p < 0 || !std::isfinite(v)) return -1;
    const IParameter& parameter = *Parameter(i);
    TracePoint("IEffectBase::UnserializeParams", __LINE__, "%d %s %f", i, parameter.Name(), v);
    out[i] = parameter.ClampedValueOf(v);
  }
  return p;
}

int IEffectBase::UnserializeParams(const IStateChunk& chunk, int position) {
  LockGuard guard(*this);
  std::vector<double> values(static_cast<size_t>(ParameterCount()));
  const int p = position < 0 ? -1 : DecodeParams(chunk, position, values.data());
  if (p < 0) return -1;  // nothing changes
  Parameters().SetAll(values.data());
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
  // Every slot is read and checked first; a bank that ends early or holds a
  // bad length or value changes nothing at all.
  struct DecodedSlot {
    char name[IPreset::kNameSize];
    bool initialised;
    std::vector<double> values;
  };
  std::vector<DecodedSlot> bank(presets_.size());
  int lastInitialised = -1;
  int p = position;
  for (size_t i = 0; i < bank.size(); ++i) {
    DecodedSlot& slot = bank[i];
    slot.name[0] = '\0';
    p = p < 0 ? -1 : chunk.ReadText(p, slot.name, IPreset::kNameSize);
    p = p < 0 ? -1 : chunk.ReadBool(p, &slot.initialised);
    if (p < 0) return -1;
    TracePoint("IEffectBase::UnserializePresets", __LINE__, "%d %s", static_cast<int>(i), slot.name);
    if (!slot.initialised) continue;  // keeps its stored values
    slot.values.resize(static_cast<size_t>(ParameterCount()));
    p = DecodeParams(chunk, p, slot.values.data());
    if (p < 0) return -1;
    lastInitialised = static_cast<int>(i);
  }
  for (size_t i = 0; i < bank.size(); ++i) {
    IPreset& slot = presets_[i];
    const DecodedSlot& decoded = bank[i];
    // Names this plug-in writes are never empty; an empty one leaves the
    // slot's own name in place.
    if (decoded.name[0] != '\0') CopyText(slot.name, decoded.name, IPreset::kNameSize);
    slot.initialised = decoded.initialised;
    if (!slot.initialised) continue;
    // Exactly one block of the values as limited to the ranges.
    slot.values.Clear();
    for (double v : decoded.values) slot.values.AppendDouble(v);
  }
  // The live parameters end as the bank leaves them: the current slot's
  // values, or, when that slot is empty, the last slot the bank filled
  // (which the current slot then keeps as a user preset).
  if (lastInitialised >= 0 && !presets_[static_cast<size_t>(currentPreset_)].initialised)
    Parameters().SetAll(bank[static_cast<size_t>(lastInitialised)].values.data());
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

  std::vector<double> preset(static_cast<size_t>(ParameterCount()), kPresetMarker);
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
    if (preset[i] == kPresetMarker) preset[i] = Parameter(static_cast<int>(i))->Value();
    slot->values.AppendDouble(preset[i]);
  }
}

bool IEffectBase::LoadPreset(int index) {
  if (index < 0 || index >= PresetCount()) return false;
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
