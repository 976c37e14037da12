#include "engine/LFO.h"

#include <cmath>

LFO::LFO() : tables_(new double[Wavetables::kCount * kStoredLength]) {
  sampleRate = 44100.0;
  for (int index = 0; index < Wavetables::kCount; ++index) {
    double* table = tables_.get() + index * kStoredLength;
    for (int n = 0; n < kTableLength; ++n) table[n] = Wavetables::Entry(index, n);
    table[kTableLength] = table[0];
  }
  lowerTable_ = upperTable_ = Table(0);
}

void LFO::SetSampleRate(double fs) {
  sampleRate = fs;
  increment = rate * kTableLength / fs;
}

void LFO::SetRate(double r) {
  if (r == rate) return;
  rate = r;
  increment = r * kTableLength / sampleRate;
}

namespace {
int ClampTableIndex(double v) {
  if (!(v >= 0.0)) return 0;
  if (v >= Wavetables::kCount - 1) return Wavetables::kCount - 1;
  return static_cast<int>(v);
}
}  // namespace

void LFO::SetShape(double s) {
  // Everything below is a function of the shape alone.
  if (s == shape) return;
  shape = s;
  const double scaled = 9.0 * s;
  shapeUpper = ClampTableIndex(std::ceil(scaled));
  shapeLower = ClampTableIndex(std::floor(scaled));
  shapeFraction = scaled - std::trunc(scaled);
  lowerTable_ = Table(shapeLower);
  upperTable_ = Table(shapeUpper);
}

double LFO::TableEntry(int index, int n) const {
  if (index < 0 || index >= Wavetables::kCount || n < 0 || n >= kStoredLength) return 0.0;
  return Table(index)[n];
}

double LFO::Wrap(double position) {
  if (!std::isfinite(position)) return 0.0;
  double wrapped = std::fmod(position, static_cast<double>(kTableLength));
  if (wrapped < 0.0) wrapped += kTableLength;
  if (wrapped >= kTableLength) wrapped = 0.0;
  return wrapped;
}
