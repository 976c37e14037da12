#include "engine/StateVariableFilter.h"

#include <cmath>

void StateVariableFilter::UpdateCoefficient() {
  coefficient = 2.0 * std::sin(cutoff * kPi / (oversampling * sampleRate));
}

void StateVariableFilter::SetSampleRate(double rate) {
  sampleRate = rate;
  UpdateCoefficient();
}

void StateVariableFilter::SetCutoff(double c) {
  // The coefficient is a function of cutoff and rate only (the rate path
  // recomputes it too), so an unchanged cutoff needs no new sine.
  if (c == cutoff) return;
  cutoff = c;
  UpdateCoefficient();
}

namespace {
// Keeps a response index valid even for a shape outside 0..1.
int ClampResponseIndex(double v) {
  if (!(v >= 0.0)) return 0;
  if (v >= 3.0) return 3;
  return static_cast<int>(v);
}
}  // namespace

void StateVariableFilter::SetShape(double s) {
  // Everything below is a function of the shape alone.
  if (s == shape) return;
  shape = s;
  const double scaled = 3.0 * s;
  shapeUpper = ClampResponseIndex(std::ceil(scaled));
  shapeLower = ClampResponseIndex(std::floor(scaled));
  shapeFraction = scaled - std::trunc(scaled);
}

void StateVariableFilter::ClearState() {
  for (double& r : response) r = 0.0;
}
