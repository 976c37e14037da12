#include "engine/Connection.h"

void Connection::Detach() {
  if (destination_) destination_->SetInput(slot_, nullptr);
}

void Connection::Attach() {
  if (!source_ || !destination_) return;
  destination_->SetInput(slot_, source_);
  destination_->SetInputAmount(slot_, amount_);
}

void Connection::SetSource(AudioModule* module) {
  Detach();
  source_ = module;
  Attach();
}

void Connection::SetDestination(AudioModule* module) {
  Detach();
  destination_ = module;
  Attach();
}

void Connection::SetAmount(double x) {
  amount_ = x;
  if (destination_) destination_->SetInputAmount(slot_, x);
}

void Connection::ClearSource() {
  Detach();
  source_ = nullptr;
}

void Connection::ClearDestination() {
  Detach();
  destination_ = nullptr;
}

bool Connection::SetSlot(int newSlot) {
  if (newSlot < 0 || newSlot >= AudioModule::kInputSlots) return false;
  Detach();
  slot_ = newSlot;
  Attach();
  return true;
}
