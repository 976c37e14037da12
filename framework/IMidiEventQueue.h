#pragma once
#include <atomic>
#include <cstdint>
#include <memory>

#include "framework/IMidiEvent.h"

// Frame-ordered queue of one piece's MIDI events between the processing
// core (writer) and the engine's sample loop (reader). No lock of its own:
// both are the audio thread (MIDI from other threads comes in through
// MidiInbox).
//
// Unread events lie between Front and End, ordered by offset; equal offsets
// keep arrival order. The storage (whole 4096-byte pages) is allocated once
// at construction: the audio thread may not allocate, so an event that
// finds the queue full of unread events is dropped and counted.
class IMidiEventQueue {
 public:
  explicit IMidiEventQueue(int size);

  // Stores an event in offset order, or drops it when the queue is full.
  void Add(const IMidiEvent& event);

  bool Empty() const { return front_ == end_; }
  const IMidiEvent& Peek() const { return storage_[front_]; }
  void Advance() { ++front_; }
  // Forgets every unread event (engine reset).
  void Clear() { front_ = end_ = 0; }

  int Capacity() const { return capacity_; }
  int GrowthStep() const { return growthStep_; }
  int FrontIndex() const { return front_; }
  int EndIndex() const { return end_; }
  int Pending() const { return end_ - front_; }
  // Events dropped because the queue was full, since construction.
  long Dropped() const { return dropped_.load(std::memory_order_relaxed); }

 private:
  std::unique_ptr<IMidiEvent[]> storage_;
  int32_t capacity_ = 0;
  int32_t growthStep_ = 0;
  int32_t front_ = 0;
  int32_t end_ = 0;
  std::atomic<long> dropped_{0};
};
