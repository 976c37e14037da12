#include "framework/PresetBank.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "framework/ITrace.h"
#include "framework/NumberFormat.h"

PresetBank::PresetBank(IParameterStore& parameters, int slotCount)
    : parameters_(parameters), slots_(slotCount > 0 ? static_cast<size_t>(slotCount) : 0) {}

bool PresetBank::WriteProgram(IStateChunk& chunk) const {
  // One whole set, even while a program is being written on another thread.
  std::vector<double> values(static_cast<size_t>(parameters_.Count()));
  parameters_.ReadAll(values.data());
  for (int i = 0; i < parameters_.Count(); ++i) {
    TracePoint("IEffectBase::SerializeParams", __LINE__, "%d %s %f", i, parameters_.Parameter(i)->Name(),
               values[static_cast<size_t>(i)]);
    if (!chunk.AppendDouble(values[static_cast<size_t>(i)])) return false;
  }
  return true;
}

// One program's values from p on, each limited to its parameter's range.
// -1 when the data ends first or holds a value that is not finite.
int PresetBank::DecodeProgram(const IStateChunk& chunk, int p, double* out) const {
  for (int i = 0; i < parameters_.Count() && p >= 0; ++i) {
    double v = 0.0;
    p = chunk.ReadDouble(p, &v);
    if (p < 0 || !std::isfinite(v)) return -1;
    const IParameter& parameter = *parameters_.Parameter(i);
    TracePoint("IEffectBase::UnserializeParams", __LINE__, "%d %s %f", i, parameter.Name(), v);
    out[i] = parameter.ClampedValueOf(v);
  }
  return p;
}

int PresetBank::ReadProgram(const IStateChunk& chunk, int position) {
  std::vector<double> values(static_cast<size_t>(parameters_.Count()));
  const int p = position < 0 ? -1 : DecodeProgram(chunk, position, values.data());
  if (p < 0) return -1;  // nothing changes
  parameters_.SetAll(values.data());
  return p;
}

bool PresetBank::WriteBank(IStateChunk& chunk) const {
  for (size_t i = 0; i < slots_.size(); ++i) {
    const IPreset& slot = slots_[i];
    if (!chunk.AppendText(slot.name)) return false;
    TracePoint("IEffectBase::SerializePresets", __LINE__, "%d %s", static_cast<int>(i), slot.name);
    if (!chunk.AppendBool(slot.initialised)) return false;
    if (slot.initialised && !chunk.AppendBytes(slot.values.Data(), slot.values.Size())) return false;
  }
  return true;
}

int PresetBank::ReadBank(const IStateChunk& chunk, int position) {
  // Every slot is read and checked first; a bank that ends early or holds a
  // bad length or value changes nothing at all.
  struct DecodedSlot {
    char name[IPreset::kNameSize];
    bool initialised;
    std::vector<double> values;
  };
  std::vector<DecodedSlot> bank(slots_.size());
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
    slot.values.resize(static_cast<size_t>(parameters_.Count()));
    p = DecodeProgram(chunk, p, slot.values.data());
    if (p < 0) return -1;
    lastInitialised = static_cast<int>(i);
  }
  for (size_t i = 0; i < bank.size(); ++i) {
    IPreset& slot = slots_[i];
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
  if (lastInitialised >= 0 && !slots_[static_cast<size_t>(current_)].initialised)
    parameters_.SetAll(bank[static_cast<size_t>(lastInitialised)].values.data());
  Load(current_);
  return p;
}


const IPreset* PresetBank::Slot(int index) const {
  if (index < 0 || index >= Count()) return nullptr;
  return &slots_[static_cast<size_t>(index)];
}

void PresetBank::FillEmpty(const char* name, int count) {
  for (int n = 0; n < count; ++n) {
    for (IPreset& slot : slots_) {
      if (slot.initialised) continue;
      slot.initialised = true;
      CopyText(slot.name, name ? name : "Empty", IPreset::kNameSize);
      slot.values.Clear();  // a slot switched off by a bank may still hold values
      WriteProgram(slot.values);
      break;
    }
  }
}

void PresetBank::AddProgram(const char* name, const NamedValue* values, int count) {
  IPreset* slot = nullptr;
  for (IPreset& candidate : slots_) {
    if (!candidate.initialised) {
      slot = &candidate;
      break;
    }
  }
  if (!slot) return;
  slot->initialised = true;
  CopyText(slot->name, name, IPreset::kNameSize);
  slot->values.Clear();

  std::vector<double> preset(static_cast<size_t>(parameters_.Count()), kKeepCurrent);
  for (int k = 0; values && k < count; ++k) {
    const NamedValue& pair = values[k];
    const IParameter* parameter = parameters_.Parameter(pair.index);
    if (!parameter) continue;  // a stray index must not write anywhere
    double v = pair.value;
    // The marker means "current value" for every kind; integral kinds
    // otherwise take whole numbers, truncated like an int conversion.
    if (v != kKeepCurrent && parameter->IsIntegral()) v = TruncateToInt(v);
    preset[static_cast<size_t>(pair.index)] = v;
  }
  for (size_t i = 0; i < preset.size(); ++i) {
    if (preset[i] == kKeepCurrent) preset[i] = parameters_.Parameter(static_cast<int>(i))->Value();
    slot->values.AppendDouble(preset[i]);
  }
}

bool PresetBank::Load(int index) {
  if (index < 0 || index >= Count()) return false;
  IPreset& slot = slots_[static_cast<size_t>(index)];
  bool ok;
  if (!slot.initialised) {
    // First visit: the slot keeps the state the user had.
    char name[IPreset::kNameSize];
    NextUserPresetName(name);
    slot.initialised = true;
    CopyText(slot.name, name, IPreset::kNameSize);
    // Replace, not append: a block left behind would be read instead.
    slot.values.Clear();
    ok = WriteProgram(slot.values);
  } else {
    ok = ReadProgram(slot.values, 0) > 0;
  }
  if (ok) current_ = index;
  return ok;
}

void PresetBank::StoreCurrent(const char* name) {
  if (current_ < 0 || current_ >= Count()) return;
  IPreset& slot = slots_[static_cast<size_t>(current_)];
  slot.values.Clear();
  TracePoint("IEffectBase::ModifyCurrentPreset", __LINE__, "%d %s", current_, slot.name);
  WriteProgram(slot.values);
  if (name && name[0] != '\0') CopyText(slot.name, name, IPreset::kNameSize);
}

const char* PresetBank::Name(int index) const {
  const IPreset* slot = Slot(index);
  return slot ? slot->name : "";
}

void PresetBank::NextUserPresetName(char* out) const {
  if (!out) return;
  int count = 0;
  for (const IPreset& slot : slots_)
    if (std::strstr(slot.name, "user preset")) ++count;
  std::snprintf(out, IPreset::kNameSize, "%s %d", "user preset", count + 1);
}
