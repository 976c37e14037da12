#include "tools/brume-render/DemoSignal.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr int kBars = 2;
constexpr int kStepsPerBar = 16;  // sixteenth notes
constexpr double kPeak = 0.7;

// Repeatable white noise in -1..1 (xorshift32).
class Noise {
 public:
  double Next() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 17;
    state_ ^= state_ << 5;
    return static_cast<double>(state_) / 2147483648.0 - 1.0;
  }

 private:
  uint32_t state_ = 0x9E3779B9u;
};

void AddKick(StereoAudio& audio, std::size_t start, int rate) {
  const std::size_t length = static_cast<std::size_t>(0.35 * rate);
  double phase = 0.0;
  for (std::size_t i = 0; i < length && start + i < audio.Frames(); ++i) {
    const double t = static_cast<double>(i) / rate;
    const double frequency = 48.0 + 110.0 * std::exp(-t * 28.0);  // pitch drop of a kick drum
    phase += 2.0 * kPi * frequency / rate;
    const double v = 0.9 * std::sin(phase) * std::exp(-t * 9.0);
    audio.left[start + i] += v;
    audio.right[start + i] += v;
  }
}

void AddSnare(StereoAudio& audio, std::size_t start, int rate, Noise& noise) {
  const std::size_t length = static_cast<std::size_t>(0.2 * rate);
  for (std::size_t i = 0; i < length && start + i < audio.Frames(); ++i) {
    const double t = static_cast<double>(i) / rate;
    const double body = 0.3 * std::sin(2.0 * kPi * 185.0 * t) * std::exp(-t * 30.0);
    const double rattle = 0.35 * noise.Next() * std::exp(-t * 18.0);
    audio.left[start + i] += body + rattle;
    audio.right[start + i] += body + 0.9 * rattle;
  }
}

void AddHat(StereoAudio& audio, std::size_t start, int rate, Noise& noise, double level) {
  const std::size_t length = static_cast<std::size_t>(0.05 * rate);
  double previous = 0.0;
  for (std::size_t i = 0; i < length && start + i < audio.Frames(); ++i) {
    const double t = static_cast<double>(i) / rate;
    const double n = noise.Next();
    const double bright = n - previous;  // first difference: a crude high-pass
    previous = n;
    const double v = level * bright * std::exp(-t * 80.0);
    audio.left[start + i] += 0.7 * v;
    audio.right[start + i] += v;
  }
}

// A soft pad: each note is a few odd harmonics, slightly detuned between
// the channels, with a short fade in and out.
void AddChord(StereoAudio& audio, std::size_t start, std::size_t length, int rate, const double (&midi)[3]) {
  const double fade = 0.03 * rate;
  for (double note : midi) {
    const double frequency = 440.0 * std::pow(2.0, (note - 69.0) / 12.0);
    for (std::size_t i = 0; i < length && start + i < audio.Frames(); ++i) {
      const double t = static_cast<double>(i) / rate;
      const double envelope = std::min({1.0, i / fade, (length - i) / fade});
      double left = 0.0, right = 0.0;
      for (int h = 1; h <= 5; h += 2) {
        left += std::sin(2.0 * kPi * frequency * h * t) / (h * h);
        right += std::sin(2.0 * kPi * frequency * 1.003 * h * t) / (h * h);
      }
      audio.left[start + i] += 0.12 * envelope * left;
      audio.right[start + i] += 0.12 * envelope * right;
    }
  }
}

}  // namespace

StereoAudio MakeDemoSignal(int rate, double tempo) {
  StereoAudio audio;
  audio.rate = rate;
  const double stepSeconds = 60.0 / tempo / 4.0;
  const auto stepStart = [&](int step) { return static_cast<std::size_t>(step * stepSeconds * rate); };
  const int steps = kBars * kStepsPerBar;
  audio.Resize(stepStart(steps) + static_cast<std::size_t>(rate));

  static const double kChords[4][3] = {{57, 60, 64}, {53, 57, 60}, {48, 52, 55}, {55, 59, 62}};  // Am F C G
  for (int c = 0; c < 4; ++c) {
    const int first = c * kStepsPerBar / 2;
    AddChord(audio, stepStart(first), stepStart(first + kStepsPerBar / 2) - stepStart(first), rate, kChords[c]);
  }

  Noise noise;
  for (int step = 0; step < steps; ++step) {
    const int inBar = step % kStepsPerBar;
    const std::size_t at = stepStart(step);
    if (inBar == 0 || inBar == 8 || (step >= kStepsPerBar && inBar == 6)) AddKick(audio, at, rate);
    if (inBar == 4 || inBar == 12) AddSnare(audio, at, rate, noise);
    if (inBar % 2 == 0) AddHat(audio, at, rate, noise, inBar % 4 == 2 ? 0.35 : 0.2);
  }

  double peak = 0.0;
  for (std::size_t i = 0; i < audio.Frames(); ++i)
    peak = std::max({peak, std::fabs(audio.left[i]), std::fabs(audio.right[i])});
  if (peak > 0.0) {
    const double gain = kPeak / peak;
    for (std::size_t i = 0; i < audio.Frames(); ++i) {
      audio.left[i] *= gain;
      audio.right[i] *= gain;
    }
  }
  return audio;
}
