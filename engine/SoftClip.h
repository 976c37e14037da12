#pragma once

// Saturation curve v(v² + 27) / (9v² + 27): about v near zero, 0.778 at 1,
// exactly 1 with zero slope at 3, and rising slowly again beyond. Used on
// the filter's band integrator and on the wet output. The grouping is part
// of the result and is kept as is.
inline double SoftClip(double v) {
  return ((v * v + 27.0) * v) / (v * 9.0 * v + 27.0);
}
