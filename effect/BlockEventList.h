#pragma once
#include <cstdint>
#include <memory>

#include "framework/IMidiEvent.h"

// One thing that happens at a frame of a host block: a parameter set to a
// value in its own units, a MIDI message, a tempo, bypass on or off, or the
// start of a whole set of values (a program: it and every change after it
// wait for the output to fade out).
struct BlockEvent {
  enum class Kind : uint8_t { kParameter, kMidi, kTempo, kBypass, kWholeSet };
  int32_t offset = 0;  // frames from the block's start, never negative
  Kind kind = Kind::kParameter;
  uint8_t status = 0, data1 = 0, data2 = 0;  // kMidi
  int32_t index = 0;                         // kParameter
  double value = 0.0;  // kParameter: the value; kTempo: BPM; kBypass: 1 on, 0 off

  IMidiEvent Midi(int32_t at) const {
    IMidiEvent message;
    message.offset = at;
    message.status = status;
    message.data1 = data1;
    message.data2 = data2;
    return message;
  }
};

// A host block's events in one list, filled by a format adapter with the
// host's own offsets (frames from the block's start) and played by the
// processing core, which orders them by offset (arrival order kept among
// equal offsets) and plays an offset at or past the block's end on its last
// frame. The storage is sized once: an event that finds the list full is
// dropped and counted.
//
// Threads: the audio thread, or any one thread while no block runs.
class BlockEventList {
 public:
  explicit BlockEventList(int capacity);

  bool AddParameter(int64_t offset, int index, double value);
  bool AddMidi(int64_t offset, uint8_t status, uint8_t data1, uint8_t data2);
  // A tempo the delays cannot use (not finite, not positive) is ignored
  // when played: the last usable one holds.
  bool AddTempo(int64_t offset, double bpm);
  bool AddBypass(int64_t offset, bool on);
  bool AddWholeSet(int64_t offset);

  int Count() const { return count_; }
  int Capacity() const { return capacity_; }
  const BlockEvent& operator[](int i) const { return events_[i]; }
  // Events dropped because the list was full, since construction.
  long Dropped() const { return dropped_; }
  void Clear() { count_ = 0; }
  // Orders the events by offset, keeping arrival order among equal offsets:
  // a bottom-up merge sort through scratch storage of the same size, n log n
  // steps without allocating (host lists arrive as runs, one per parameter).
  void Sort();
  // Every offset past `last` becomes `last` (after Sort, order holds).
  void LimitOffsets(int32_t last);

 private:
  BlockEvent* Add(int64_t offset, BlockEvent::Kind kind, int index, double value);

  std::unique_ptr<BlockEvent[]> events_;
  std::unique_ptr<BlockEvent[]> scratch_;
  int capacity_;
  int count_ = 0;
  long dropped_ = 0;
};
