#pragma once
#include <cmath>

#include "engine/AudioModule.h"

// Peak-style envelope of the stereo input: one-pole smoothing with separate
// attack (level rising) and release (level falling or equal) coefficients
// exp(-1 / (rate x time)). Not clamped: a boosted input gain can drive it
// above 1.
//
// Until the parameter handler sets the times they are 5 ms each (the
// parameters' defaults) at 44.1 kHz, so the detector is usable at once.
class EnvelopeFollower final : public AudioModule {
 public:
  EnvelopeFollower();

  // One detector step on the input pair with the linear input gain g.
  void Detect(double inL, double inR, double g) {
    const double x = std::fabs((g * inL + g * inR) * 0.5);
    // Both candidates are computed and one is selected, without a branch:
    // on noisy input the rising / falling decision is unpredictable.
    const double attacked = attackComplement_ * x + attackCoefficient * envelope;
    const double released = releaseComplement_ * x + releaseCoefficient * envelope;
    envelope = (x > envelope) ? attacked : released;
    output = envelope;
  }

  void SetSampleRate(double fs) override;
  void SetAttack(double seconds);
  void SetRelease(double seconds);
  void ClearEnvelope() {
    envelope = 0.0;
    output = 0.0;
  }

  double attackCoefficient = 0.0;
  double releaseCoefficient = 0.0;
  double attackTime = 0.005;
  double releaseTime = 0.005;
  double envelope = 0.0;

 private:
  void UpdateCoefficients();
  // 1 - coefficient, kept with each coefficient (the value the step would
  // compute, without the per-sample subtraction).
  double attackComplement_ = 1.0;
  double releaseComplement_ = 1.0;
};
