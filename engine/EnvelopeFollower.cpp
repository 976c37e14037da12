#include "engine/EnvelopeFollower.h"

#include <cmath>

EnvelopeFollower::EnvelopeFollower() {
  sampleRate = 44100.0;
  UpdateCoefficients();
}

void EnvelopeFollower::SetSampleRate(double fs) {
  sampleRate = fs;
  UpdateCoefficients();
}

void EnvelopeFollower::SetAttack(double seconds) {
  attackTime = seconds;
  UpdateCoefficients();
}

void EnvelopeFollower::SetRelease(double seconds) {
  releaseTime = seconds;
  UpdateCoefficients();
}

namespace {
// A time of zero gives 0 (instant). Negative or non-finite products would
// give a coefficient above 1 or NaN, a runaway detector; they act as 0.
double Coefficient(double sampleRate, double time) {
  const double c = std::exp(-1.0 / (sampleRate * time));
  return (c >= 0.0 && c <= 1.0) ? c : 0.0;
}
}  // namespace

void EnvelopeFollower::UpdateCoefficients() {
  attackCoefficient = Coefficient(sampleRate, attackTime);
  releaseCoefficient = Coefficient(sampleRate, releaseTime);
  attackComplement_ = 1.0 - attackCoefficient;
  releaseComplement_ = 1.0 - releaseCoefficient;
}
