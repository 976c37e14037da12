#include "framework/MidiInbox.h"

namespace {
uint32_t PowerOfTwoAtLeast(int n) {
  uint32_t size = 1;
  while (size < static_cast<uint32_t>(n > 1 ? n : 1)) size <<= 1;
  return size;
}
}  // namespace

MidiInbox::MidiInbox(int capacity)
    : ring_(new IMidiEvent[PowerOfTwoAtLeast(capacity)]), mask_(PowerOfTwoAtLeast(capacity) - 1) {}

bool MidiInbox::Post(const IMidiEvent& event) {
  if (posting_.test_and_set(std::memory_order_acquire)) {
    dropped_.fetch_add(1, std::memory_order_relaxed);
    return false;
  }
  const uint32_t at = written_.load(std::memory_order_relaxed);
  const bool room = at - read_.load(std::memory_order_acquire) <= mask_;
  if (room) {
    ring_[at & mask_] = event;
    written_.store(at + 1, std::memory_order_release);
  } else {
    dropped_.fetch_add(1, std::memory_order_relaxed);
  }
  posting_.clear(std::memory_order_release);
  return room;
}
