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
    // Written without a branch: at fractional rates the capture pattern is
    // irregular and a branch on it would be mispredicted often. Reading the
    // inputs on a hold tick has no effect; only the captured value is kept.
    const double advanced = phase + rate;
    const bool capture = !(advanced < 1.0);
    const double quantised = std::floor(levels * InputSum()) / levels;
    output = capture ? quantised : output;
    phase = capture ? advanced - 1.0 : advanced;
  }

  // Bits change through SetBits, which keeps `levels` in step.
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
