// Plug-in base: program and bank state chunks and the preset slots, kept
// by the PresetBank; the base adds its lock and tells the editor and the
// host's binding when the slots or the values changed.
#include "framework/IEffectBase.h"

bool IEffectBase::SerializeParams(IStateChunk& chunk) {
  LockGuard guard(*this);
  return presets_.WriteProgram(chunk);
}

int IEffectBase::UnserializeParams(const IStateChunk& chunk, int position) {
  LockGuard guard(*this);
  return presets_.ReadProgram(chunk, position);
}

bool IEffectBase::SerializePresets(IStateChunk& chunk) {
  LockGuard guard(*this);
  return presets_.WriteBank(chunk);
}

int IEffectBase::UnserializePresets(const IStateChunk& chunk, int position) {
  LockGuard guard(*this);
  const int p = presets_.ReadBank(chunk, position);
  if (p >= 0) SlotsChanged();
  return p;
}

void IEffectBase::MakePresetFromNamedParams(const char* name, std::initializer_list<IPresetValue> values) {
  presets_.AddProgram(name, values.begin(), static_cast<int>(values.size()));
}

void IEffectBase::MakePresetFromNamedParams(const char* name, const IPresetValue* values, int count) {
  presets_.AddProgram(name, values, count);
}

bool IEffectBase::LoadPreset(int index) {
  if (!presets_.Load(index)) return false;
  SlotsChanged();
  return true;
}

void IEffectBase::SlotsChanged() {
  PresetListEdited();
  RefreshParameterControls();
}
