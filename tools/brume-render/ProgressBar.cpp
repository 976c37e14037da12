#include "tools/brume-render/ProgressBar.h"

#include <string>

namespace {
constexpr int kWidth = 40;
constexpr auto kRedraw = std::chrono::milliseconds(100);
}  // namespace

ProgressBar::ProgressBar(std::ostream& stream, std::size_t total, std::chrono::milliseconds delay)
    : stream_(stream), total_(total), delay_(delay), start_(Clock::now()), lastDraw_(start_) {}

void ProgressBar::Update(std::size_t done) {
  const auto now = Clock::now();
  if (now - start_ < delay_ || (shown_ && now - lastDraw_ < kRedraw)) return;
  lastDraw_ = now;
  Draw(done);
}

void ProgressBar::Finish() {
  if (!shown_ || finished_) return;
  Draw(total_);
  stream_ << '\n';
  stream_.flush();
  finished_ = true;
}

void ProgressBar::Draw(std::size_t done) {
  shown_ = true;
  const std::size_t percent = total_ ? done * 100 / total_ : 100;
  const int filled = static_cast<int>(percent * kWidth / 100);
  stream_ << "\rrendering [" << std::string(filled, '#') << std::string(kWidth - filled, ' ') << "] "
          << percent << '%';
  stream_.flush();
}
