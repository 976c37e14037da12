#pragma once
#include <cmath>

#include "engine/AudioModule.h"

// Sample-rate and word-length reduction. A phase accumulator advanced by
// `rate` per tick decides when a new input value is captured; between
// captures the held value is repeated. Captured values are quantised towards
// minus infinity onto a grid of 2^bits levels per unit (so the grid is not
// symmetric about zero: 1 bit maps 0.3 to 0 and -0.3 to -0.5).
class BitCrusher final : public AudioModule {
 public:
  void Process() override {
    phase = phase + rate;
    if (phase < 1.0) return;  // hold: inputs are not read on this tick
    const double x = InputSum();
    output = std::floor(levels * x) / levels;
    phase = phase - 1.0;
  }

  // Fractional word lengths are allowed; `levels` always equals 2^bits.
  void SetBits(double b) {
    if (b == bits) return;  // levels already match; skips the power
    bits = b;
    levels = std::pow(2.0, b);
  }
  void SetRate(double r) { rate = r; }

  double bits = 16.0;
  double levels = 65536.0;
  double rate = 1.0;
  double phase = 0.0;
};
