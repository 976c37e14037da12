#include "effect/BlockEventList.h"

#include <algorithm>

BlockEventList::BlockEventList(int capacity)
    : events_(new BlockEvent[static_cast<size_t>(std::max(capacity, 1))]),
      scratch_(new BlockEvent[static_cast<size_t>(std::max(capacity, 1))]),
      capacity_(std::max(capacity, 1)) {}

BlockEvent* BlockEventList::Add(int64_t offset, BlockEvent::Kind kind, int index, double value) {
  if (count_ == capacity_) {
    ++dropped_;
    return nullptr;
  }
  BlockEvent& event = events_[count_++];
  // Hosts stamp before the block (negative) or far past it: kept in range
  // here, placed on a frame by the core.
  event.offset = static_cast<int32_t>(std::clamp<int64_t>(offset, 0, INT32_MAX));
  event.kind = kind;
  event.index = index;
  event.value = value;
  event.status = event.data1 = event.data2 = 0;
  return &event;
}

bool BlockEventList::AddParameter(int64_t offset, int index, double value) {
  return Add(offset, BlockEvent::Kind::kParameter, index, value) != nullptr;
}

bool BlockEventList::AddMidi(int64_t offset, uint8_t status, uint8_t data1, uint8_t data2) {
  BlockEvent* event = Add(offset, BlockEvent::Kind::kMidi, 0, 0.0);
  if (!event) return false;
  event->status = status;
  event->data1 = data1;
  event->data2 = data2;
  return true;
}

bool BlockEventList::AddTempo(int64_t offset, double bpm) {
  return Add(offset, BlockEvent::Kind::kTempo, 0, bpm) != nullptr;
}

bool BlockEventList::AddBypass(int64_t offset, bool on) {
  return Add(offset, BlockEvent::Kind::kBypass, 0, on ? 1.0 : 0.0) != nullptr;
}

bool BlockEventList::AddWholeSet(int64_t offset) {
  return Add(offset, BlockEvent::Kind::kWholeSet, 0, 0.0) != nullptr;
}

void BlockEventList::Sort() {
  const auto earlier = [](const BlockEvent& a, const BlockEvent& b) { return a.offset < b.offset; };
  const int n = count_;
  if (std::is_sorted(events_.get(), events_.get() + n, earlier)) return;
  BlockEvent* from = events_.get();
  BlockEvent* to = scratch_.get();
  for (int width = 1; width < n; width *= 2) {
    for (int lo = 0; lo < n; lo += 2 * width) {
      const int mid = std::min(lo + width, n), hi = std::min(lo + 2 * width, n);
      std::merge(from + lo, from + mid, from + mid, from + hi, to + lo, earlier);
    }
    std::swap(from, to);
  }
  if (from != events_.get()) std::copy(from, from + n, events_.get());
}

void BlockEventList::LimitOffsets(int32_t last) {
  for (int i = 0; i < count_; ++i) events_[i].offset = std::min(events_[i].offset, last);
}
