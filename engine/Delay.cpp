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
  UpdateDelayTime();
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
  double samples = unscaledSamples_ * fine;
  const double longest = length - 2.0;
  if (!(samples >= 0.0)) samples = 0.0;  // negative or NaN: shortest setting
  if (line_ && samples > longest) samples = longest;
  delaySamples = samples;
}

void Delay::UpdateDelayTime() {
  const double beat = 60.0 / tempo;
  const double quarter = beat * 0.25;
  unscaledSamples_ = quarters * quarter * sampleRate;
  SetFine(fine);
}

void Delay::ClearLine() {
  if (line_) std::fill(line_.get(), line_.get() + length, 0.0);
}
