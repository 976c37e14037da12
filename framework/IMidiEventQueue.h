#pragma once
#include <cstdint>
#include <memory>

#include "framework/IMidiEvent.h"

// Frame-ordered queue of MIDI events between the dispatcher (writer, inside
// the plug-in lock) and the sample loop (reader, inside the locked audio
// callback). No lock of its own.
//
// Unread events lie between Front and End, ordered by offset; equal offsets
// keep arrival order. Storage grows in whole 4096-byte steps and never
// shrinks; reading never allocates.
class IMidiEventQueue {
 public:
  explicit IMidiEventQueue(int size);

  // Stores an event in offset order. Dropped silently if storage cannot grow.
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

 private:
  bool Grow();

  std::unique_ptr<IMidiEvent[]> storage_;
  int32_t capacity_ = 0;
  int32_t growthStep_ = 0;
  int32_t front_ = 0;
  int32_t end_ = 0;
};
