#pragma once
#include <atomic>
#include <cstdint>

// The editor's gestures on their way to the host: the editor (main thread)
// pushes, the call that may write the host's output events (process on the
// audio thread, or flush) takes them. One producer, one consumer, a fixed
// ring: neither side waits or allocates; a full ring drops the newest.
class EditQueue {
 public:
  enum class Kind : uint8_t { kBegin, kValue, kEnd };
  struct Edit {
    Kind kind;
    uint32_t id;
    double value;
  };
  static constexpr uint32_t kCapacity = 1024;

  bool Push(const Edit& edit) {
    const uint32_t at = written_.load(std::memory_order_relaxed);
    if (at - read_.load(std::memory_order_acquire) >= kCapacity) return false;
    ring_[at % kCapacity] = edit;
    written_.store(at + 1, std::memory_order_release);
    return true;
  }
  template <typename Take>
  void Drain(Take&& take) {
    const uint32_t end = written_.load(std::memory_order_acquire);
    uint32_t next = read_.load(std::memory_order_relaxed);
    for (; next != end; ++next) take(ring_[next % kCapacity]);
    read_.store(next, std::memory_order_release);
  }

 private:
  Edit ring_[kCapacity] = {};
  std::atomic<uint32_t> written_{0};
  std::atomic<uint32_t> read_{0};
};
