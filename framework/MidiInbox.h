#pragma once
#include <atomic>
#include <cstdint>
#include <memory>

#include "framework/IMidiEvent.h"

// MIDI handed in from a host thread for the audio thread's next block: a
// fixed ring with one producer and one consumer, neither of which waits.
//
// Threads: Post from any host thread (most hosts send MIDI from the audio
// thread itself). Two posters at the same moment would break the ring, so
// a poster that finds another one inside drops its event and counts it
// instead of waiting. Drain: the audio thread only.
class MidiInbox {
 public:
  // `capacity` is rounded up to a power of two.
  explicit MidiInbox(int capacity);

  // False (and counted) when the ring is full or another thread is posting.
  bool Post(const IMidiEvent& event);
  // Calls take(event) for every posted event, oldest first.
  template <typename Take>
  void Drain(Take&& take) {
    const uint32_t end = written_.load(std::memory_order_acquire);
    uint32_t next = read_.load(std::memory_order_relaxed);
    for (; next != end; ++next) take(ring_[next & mask_]);
    read_.store(next, std::memory_order_release);
  }
  // Forgets what was posted (audio thread, or while it is not running).
  void Clear() { Drain([](const IMidiEvent&) {}); }
  long Dropped() const { return dropped_.load(std::memory_order_relaxed); }
  int Pending() const {
    return static_cast<int>(written_.load(std::memory_order_acquire) - read_.load(std::memory_order_acquire));
  }

 private:
  std::unique_ptr<IMidiEvent[]> ring_;
  uint32_t mask_;
  std::atomic<uint32_t> written_{0};
  std::atomic<uint32_t> read_{0};
  std::atomic_flag posting_ = ATOMIC_FLAG_INIT;
  std::atomic<long> dropped_{0};
};
