#include "engine/AudioModule.h"

AudioModule::AudioModule() : name("no_name") {
  for (int k = 0; k < kInputSlots; ++k) {
    inputs_[k] = nullptr;
    inputAmounts_[k] = 0.0;
    activeOutputs_[k] = nullptr;
    activeAmounts_[k] = 0.0;
  }
}

void AudioModule::ClearInputs() {
  for (AudioModule*& input : inputs_) input = nullptr;
  RebuildActiveList();
}

void AudioModule::SetInput(int slot, AudioModule* source) {
  if (slot < 0 || slot >= kInputSlots) return;
  inputs_[slot] = source;
  RebuildActiveList();
}

void AudioModule::SetInputAmount(int slot, double amount) {
  if (slot < 0 || slot >= kInputSlots) return;
  inputAmounts_[slot] = amount;
  RebuildActiveList();
}

AudioModule* AudioModule::Input(int slot) const {
  return (slot >= 0 && slot < kInputSlots) ? inputs_[slot] : nullptr;
}

double AudioModule::InputAmount(int slot) const {
  return (slot >= 0 && slot < kInputSlots) ? inputAmounts_[slot] : 0.0;
}

void AudioModule::RebuildActiveList() {
  ++linkVersion_;
  activeCount_ = 0;
  for (int k = 0; k < kInputSlots; ++k) {
    if (!inputs_[k]) continue;
    activeOutputs_[activeCount_] = &inputs_[k]->output;
    activeAmounts_[activeCount_] = inputAmounts_[k];
    ++activeCount_;
  }
}
