#pragma once
#include <cmath>

// What a delay line stores: the written value itself up to +6 dBFS, and
// above that a soft knee that approaches +12 dBFS and never passes it, like
// tape driven into saturation. Every feedback loop runs through a line
// write, so no loop can grow without bound (a filter ringing at high
// resonance, 100 % feedback, two delays feeding each other), while ordinary
// levels are stored exactly. The curve is continuous with slope 1 at the
// knee (no kink to hear as the loop starts to sing) and uses only IEEE
// arithmetic, so it is the same on every platform and in every loop.
constexpr double kLineKnee = 2.0;
constexpr double kLineCeiling = 4.0;

// `v` itself up to `knee` in magnitude, then bent towards `ceiling`:
// u / (1 + u) rises from 0 with slope 1 and approaches 1. A NaN passes
// through as NaN (the engine's runaway guard clears it).
inline double SoftCeiling(double v, double knee, double ceiling) {
  const double magnitude = std::fabs(v);
  if (magnitude <= knee) return v;
  const double u = (magnitude - knee) / (ceiling - knee);
  const double limited = knee + (ceiling - knee) * (u / (1.0 + u));
  return v < 0.0 ? -limited : limited;
}

inline double LimitLineWrite(double v) { return SoftCeiling(v, kLineKnee, kLineCeiling); }
