#pragma once
#include <atomic>

#include "effect/BlockEventList.h"

// The bypass switch as a format's non-audio threads see it (a saved state
// holds it, a loaded state restores it) while the audio thread plays it
// through the processor. One atomic word: bit 0 on, bit 1 set by Restore
// until the audio thread has played the restored value, so a restore that
// races a block is never overwritten by the block's own bypass.
//
// Threads: On and Restore any thread; PlayRestored and Note the audio
// thread (or whichever thread runs the processor's blocks).
class SharedBypass {
 public:
  bool On() const { return state_.load(std::memory_order_acquire) & kOn; }
  void Restore(bool on) { state_.store((on ? kOn : 0) | kRestored, std::memory_order_release); }
  // A restored value joins the block's events, at its start.
  void PlayRestored(BlockEventList& events) {
    int state = state_.load(std::memory_order_acquire);
    if ((state & kRestored) && state_.compare_exchange_strong(state, state & kOn)) events.AddBypass(0, state & kOn);
  }
  // After a block: what the processor's bypass now is, unless a restore came.
  void Note(bool processorBypassed) {
    int state = state_.load(std::memory_order_acquire);
    if (!(state & kRestored))
      state_.compare_exchange_strong(state, processorBypassed ? kOn : 0, std::memory_order_acq_rel);
  }

 private:
  static constexpr int kOn = 1, kRestored = 2;
  std::atomic<int> state_{0};
};
