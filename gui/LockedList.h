#pragma once
#include <deque>
#include <mutex>

// A process-wide list of cache entries with a lock of its own, held only
// while searching or appending, never while an entry is being made.
// Entries are never removed, and a deque keeps their addresses stable, so
// an entry found stays valid after the lock is released.
template <class Entry>
class LockedList {
 public:
  template <class Matches>
  const Entry* Find(Matches matches) {
    std::lock_guard<std::mutex> guard(lock_);
    return FindLocked(matches);
  }
  // Appends the entry and returns the first one that matches: another
  // thread may have appended an equal entry in the meantime.
  template <class Matches>
  const Entry* Append(Entry entry, Matches matches) {
    std::lock_guard<std::mutex> guard(lock_);
    entries_.push_back(std::move(entry));
    return FindLocked(matches);
  }

 private:
  template <class Matches>
  const Entry* FindLocked(Matches matches) const {
    for (const Entry& entry : entries_)
      if (matches(entry)) return &entry;
    return nullptr;
  }

  std::mutex lock_;
  std::deque<Entry> entries_;
};
