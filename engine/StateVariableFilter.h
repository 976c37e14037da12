#pragma once
#include "engine/AudioModule.h"
#include "engine/SoftClip.h"

// Chamberlin state-variable filter iterated four times per sample, with a
// soft-clipped band integrator that keeps it bounded at high resonance, and
// a continuous morph low -> notch -> band -> high selected by `shape`.
class StateVariableFilter final : public AudioModule {
 public:
  // Response indexes used by the shape morph.
  enum Response { kLow = 0, kNotch = 1, kBand = 2, kHigh = 3 };
  // The filter's own value of pi; its tuning depends on it.
  static constexpr double kPi = 3.1415926538;

  StateVariableFilter() { sampleRate = 44100.0; }

  void Process() override {
    const double x = InputSum();
    double low = response[kLow];
    double band = response[kBand];
    double high = response[kHigh];
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC unroll 4
#endif
    for (int n = 0; n < kOversampling; ++n) {
      // The tiny offset keeps the integrators out of denormal range.
      low = coefficient * band + 1e-19 + low;
      high = x - low - damping * band;
      band = band + SoftClip(coefficient * high);
    }
    response[kLow] = low;
    response[kNotch] = low + high;  // only the last iteration's notch is observable
    response[kBand] = band;
    response[kHigh] = high;
    output = (1.0 - shapeFraction) * response[shapeLower] + shapeFraction * response[shapeUpper];
  }

  // Settings change through the setters, which keep the derived fields
  // (coefficient, damping, shape indexes) in step; the fields are public
  // for reading.
  void SetSampleRate(double rate) override;
  void SetCutoff(double c);
  // 0 low-pass, 1/3 notch, 2/3 band-pass, 1 high-pass, cross-faded between.
  void SetShape(double s);
  void SetResonance(double r) {
    resonance = r;
    damping = 2.0 - 2.0 * r;
  }
  // Clears low, band, notch and high (processing reset).
  void ClearState();

  double Low() const { return response[kLow]; }
  double Band() const { return response[kBand]; }
  double Notch() const { return response[kNotch]; }
  double High() const { return response[kHigh]; }

  static constexpr int kOversampling = 4;
  const int oversampling = kOversampling;

  double cutoff = 500.0;
  double resonance = 0.0;
  double coefficient = 0.017809246799924374;  // 2 sin(500 pi / (4 * 44100))
  double damping = 2.0;
  double response[4] = {0.0, 0.0, 0.0, 0.0};  // indexed by Response
  double shape = 0.0;
  double shapeFraction = 0.0;
  int shapeUpper = 0;
  int shapeLower = 0;

 private:
  void UpdateCoefficient();
};
