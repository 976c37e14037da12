#pragma once
// A text buffer as a host sizes it by the VST 2.4 conventions: `length`
// characters and the NUL, followed by guard bytes that a copy into it must
// leave alone. Pre-filled with non-NUL bytes, so a missing terminator shows.

#include <algorithm>
#include <string>
#include <vector>

class HostTextBuffer {
 public:
  explicit HostTextBuffer(int length) : size_(length + 1), bytes_(static_cast<size_t>(size_ + kGuard), '#') {}
  char* Data() { return bytes_.data(); }
  bool GuardIntact() const {
    return std::all_of(bytes_.begin() + size_, bytes_.end(), [](char c) { return c == '#'; });
  }
  // The text up to its NUL inside the buffer; "<unterminated>" without one.
  std::string Text() const {
    const auto end = std::find(bytes_.begin(), bytes_.begin() + size_, '\0');
    return end == bytes_.begin() + size_ ? "<unterminated>" : std::string(bytes_.begin(), end);
  }

 private:
  static constexpr int kGuard = 16;
  int size_;
  std::vector<char> bytes_;
};
