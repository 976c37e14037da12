#pragma once
#include "engine/AudioModule.h"

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

  void Process() override {
    const double sum = InputSum();
    smoothed = ((maximum - minimum) * sum + base) * newCoefficient + smoothed * keepCoefficient;
    double y = smoothed;
    if (y - minimum < 0.0) y = minimum;
    if (y - maximum >= 0.0) y = maximum;
    output = y;
  }

  double base = 0.0;
  double minimum = 0.0;
  double maximum = 0.0;
  const double keepCoefficient = static_cast<double>(kKeepSingle);  // 0.9900000095367432
  const double newCoefficient = 1.0 - static_cast<double>(kKeepSingle);  // 0.009999990463256836
  // Unclamped smoothing state; may run past the range while `output` stays clamped.
  double smoothed = 0.0;
};
