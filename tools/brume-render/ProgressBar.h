#pragma once
// A one-line progress bar on a terminal stream. It stays invisible for the
// first second, so short renders print nothing.

#include <chrono>
#include <cstddef>
#include <ostream>

class ProgressBar {
 public:
  // `delay`: how long a render must run before the bar appears.
  ProgressBar(std::ostream& stream, std::size_t total,
              std::chrono::milliseconds delay = std::chrono::milliseconds(1000));
  // Reports `done` of `total` units; redraws at most a few times a second.
  void Update(std::size_t done);
  // Completes the bar (if it was shown) and ends its line.
  void Finish();
  bool Shown() const { return shown_; }

 private:
  using Clock = std::chrono::steady_clock;
  void Draw(std::size_t done);

  std::ostream& stream_;
  std::size_t total_;
  std::chrono::milliseconds delay_;
  Clock::time_point start_;
  Clock::time_point lastDraw_;
  bool shown_ = false;
  bool finished_ = false;
};
