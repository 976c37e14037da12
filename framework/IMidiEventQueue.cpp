#include "framework/IMidiEventQueue.h"

#include <algorithm>
#include <new>

namespace {
// Events per 4096-byte page.
constexpr int kEventsPerPage = 4096 / static_cast<int>(sizeof(IMidiEvent));
}  // namespace

IMidiEventQueue::IMidiEventQueue(int size) {
  if (size < 1) size = 1;
  growthStep_ = (size + kEventsPerPage - 1) / kEventsPerPage * kEventsPerPage;
  storage_.reset(new (std::nothrow) IMidiEvent[growthStep_]);
  capacity_ = storage_ ? growthStep_ : 0;
}

void IMidiEventQueue::Add(const IMidiEvent& event) {
  if (end_ >= capacity_) {
    if (front_ > 0) {
      std::copy(storage_.get() + front_, storage_.get() + end_, storage_.get());
      end_ -= front_;
      front_ = 0;
    } else {
      // Full of unread events. The queue is filled on the host's audio
      // thread, where nothing may allocate: the event is dropped and counted.
      dropped_.fetch_add(1, std::memory_order_relaxed);
      return;
    }
  }
  if (end_ > front_ && event.offset < storage_[end_ - 1].offset) {
    // Insert after the last unread event whose offset is not above the new
    // one, so events with equal offsets stay in arrival order.
    int at = end_ - 1;
    while (at >= front_ && storage_[at].offset > event.offset) --at;
    std::copy_backward(storage_.get() + at + 1, storage_.get() + end_, storage_.get() + end_ + 1);
    storage_[at + 1] = event;
  } else {
    storage_[end_] = event;
  }
  ++end_;
}
