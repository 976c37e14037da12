#include "engine/Delay.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "framework/SampleRateRange.h"

namespace {
// Highest rate a line is allocated for: 12.1 s at 768 kHz is about 74 MB.
constexpr double kMaxLineRate = kMaxSampleRate;
// The cubic read needs one sample before and two after the read position.
constexpr int kMinimumLength = 4;
}  // namespace

Delay::Delay() {
  SetSampleRate(44100.0);
}

void Delay::SetSampleRate(double rate) {
  if (rate == sampleRate && line_) return;
  sampleRate = rate;
  line_.reset();
  length = 0;
  writeIndex = 0;
  const double wanted = maxSeconds * rate;
  if (rate > 0.0 && rate <= kMaxLineRate && wanted >= kMinimumLength) {
    const int newLength = static_cast<int>(wanted);
    line_.reset(new (std::nothrow) double[static_cast<size_t>(newLength)]());
    if (line_) length = newLength;
  }
  fadeFrames_ = std::max(1, static_cast<int>(kCrossfadeSeconds * rate));
  fadeShare_ = 1.0 / (fadeFrames_ + 1);
  // A new (silent) line has nothing to glide or fade from.
  started_ = false;
  UpdateDelayTime();
  Settle();
}

void Delay::SetTempo(double t) {
  tempo = (t >= kMinimumTempo) ? t : kMinimumTempo;
  UpdateDelayTime();
}

void Delay::SetQuarters(int n) {
  quarters = n;
  UpdateDelayTime();
}

void Delay::SetFine(double f) {
  fine = f;
  Retarget(false);
}

void Delay::UpdateDelayTime() {
  const double beat = 60.0 / tempo;
  const double quarter = beat * 0.25;
  unscaledSamples_ = quarters * quarter * sampleRate;
  Retarget(true);
}

void Delay::Retarget(bool jump) {
  double samples = unscaledSamples_ * fine;
  const double longest = length - 2.0;
  if (!(samples >= 0.0)) samples = 0.0;  // negative or NaN: shortest setting
  if (line_ && samples > longest) samples = longest;
  if (BitEqual(samples, delaySamples)) return;  // the tempo is set again every block
  delaySamples = samples;
  if (!started_) {
    head_.Settle(samples);
  } else if (jump) {
    // The head stays where it is until the crossfade to the new time starts.
    jumpPending_ = true;
    head_.Stop();
  } else if (!jumpPending_) {  // else the coming crossfade goes to the newest time
    head_.Start(samples, glideFrames_);
  }
}

double Delay::ReadMoving(int at) {
  if (jumpPending_ && fadeLeft_ == 0) {
    jumpPending_ = false;
    tail_ = head_.value;
    head_.Settle(delaySamples);
    fadeLeft_ = fadeFrames_;
  }
  const double* line = line_.get();
  double y = Interpolate(line, Locate(at, head_.Next(), length));
  if (fadeLeft_ > 0) {
    const double tailShare = fadeLeft_ * fadeShare_;
    y = tailShare * Interpolate(line, Locate(at, tail_, length)) + (1.0 - tailShare) * y;
    --fadeLeft_;
  }
  return y;
}

void Delay::Settle() {
  head_.Settle(delaySamples);
  jumpPending_ = false;
  fadeLeft_ = 0;
}

void Delay::ClearLine() {
  if (line_) std::fill(line_.get(), line_.get() + length, 0.0);
}
