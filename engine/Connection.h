#pragma once
#include "engine/AudioModule.h"

// One row of a routing table (audio or modulation matrix). The row owns one
// input slot of whatever module it targets, so rows never compete for a slot
// and two rows with the same ends both contribute.
//
// Invariant: whenever both ends are set, destination->Input(slot) is the
// source and destination->InputAmount(slot) is `amount`. Rows hold plain
// references and own nothing.
class Connection {
 public:
  Connection() = default;

  void SetSource(AudioModule* module);
  void SetDestination(AudioModule* module);
  void SetAmount(double x);
  void ClearSource();
  void ClearDestination();
  // Chooses the input slot the row owns (0..11; other values are refused and
  // return false). Any existing link moves to the new slot.
  bool SetSlot(int newSlot);

  AudioModule* Source() const { return source_; }
  AudioModule* Destination() const { return destination_; }
  int Slot() const { return slot_; }
  double Amount() const { return amount_; }

 private:
  // Removes the row's module from its destination slot; the slot's amount
  // stays, harmless behind an empty input.
  void Detach();
  void Attach();

  AudioModule* source_ = nullptr;
  AudioModule* destination_ = nullptr;
  int slot_ = 0;
  double amount_ = 1.0;
};
