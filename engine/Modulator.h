#pragma once
#include <cstdint>
#include <cstring>

#include "engine/AudioModule.h"
#include "engine/Inline.h"

// A control-rate module: once per control tick it turns `base` plus its
// linked modulation into a one-pole smoothed value clamped to
// [minimum, maximum], which the sample loop writes into one setting of an
// audio module. The modulation sum is scaled by the range, so an amount of
// 1 from a source at 1 sweeps the whole range.
//
// The smoothing coefficients are 0.99 taken at single precision and its
// complement; they are part of the sound (glide time) and stay fixed.
class Modulator final : public AudioModule {
 public:
  static constexpr float kKeepSingle = 0.99f;

  Modulator() = default;
  Modulator(double minimumValue, double maximumValue) : minimum(minimumValue), maximum(maximumValue) {}

  void Process() override { Smooth(InputSum()); }

  // True when a Step now would only restore the output it holds: no inputs,
  // and the last computed step left the state unchanged with the same base
  // and range. Stays true until base, range or state are written.
  bool Settled() const {
    return settled_ && ActiveInputCount() == 0 && BitEqual(last_.sum, 0.0) && BitEqual(base, last_.base) &&
           BitEqual(smoothed, last_.smoothed) && BitEqual(minimum, last_.minimum) && BitEqual(maximum, last_.maximum) &&
           BitEqual(output, last_.output);
  }

  // Process for the sample loop, with the same result. Once a step has left
  // `smoothed` unchanged, the next step with the same sum, base, range and
  // state would too; such steps only restore the output they produced.
  void Step() {
    const double sum = InputSum();
    if (settled_ && BitEqual(sum, last_.sum) && BitEqual(base, last_.base) && BitEqual(smoothed, last_.smoothed) &&
        BitEqual(minimum, last_.minimum) && BitEqual(maximum, last_.maximum)) {
      output = last_.output;
      return;
    }
    const double previous = smoothed;
    Smooth(sum);
    settled_ = BitEqual(smoothed, previous);
    last_ = {sum, base, smoothed, minimum, maximum, output};
  }

  // Smoothing and output as at construction (base and range stay).
  void Restart() {
    smoothed = 0.0;
    output = 0.0;
    last_ = {};
    settled_ = false;
  }

  double base = 0.0;
  double minimum = 0.0;
  double maximum = 0.0;
  const double keepCoefficient = static_cast<double>(kKeepSingle);  // 0.9900000095367432
  const double newCoefficient = 1.0 - static_cast<double>(kKeepSingle);  // 0.009999990463256836
  // Unclamped smoothing state; may run past the range while `output` stays clamped.
  double smoothed = 0.0;

 private:
  void Smooth(double sum) {
    smoothed = ((maximum - minimum) * sum + base) * newCoefficient + smoothed * keepCoefficient;
    double y = smoothed;
    if (y - minimum < 0.0) y = minimum;
    if (y - maximum >= 0.0) y = maximum;
    output = y;
  }

  // What the last computed step read and produced.
  struct Computed {
    double sum, base, smoothed, minimum, maximum, output;
  };
  Computed last_ = {};
  bool settled_ = false;
};
