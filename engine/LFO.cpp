#include "engine/LFO.h"

#include <cmath>

namespace {
// Built once per process, on first use (a function-local static is
// initialised by one thread while others wait), and never written again.
const double* SharedTables() {
  static const std::unique_ptr<double[]> tables = [] {
    std::unique_ptr<double[]> built(new double[Wavetables::kCount * LFO::kStoredLength]);
    for (int index = 0; index < Wavetables::kCount; ++index) {
      double* table = built.get() + index * LFO::kStoredLength;
      for (int n = 0; n < LFO::kTableLength; ++n) table[n] = Wavetables::Entry(index, n);
      table[LFO::kTableLength] = table[0];
    }
    return built;
  }();
  return tables.get();
}
}  // namespace

LFO::LFO() : tables_(SharedTables()) {
  sampleRate = 44100.0;
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
