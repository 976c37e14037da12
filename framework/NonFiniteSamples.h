#pragma once
#include <cmath>

// Replaces every NaN or infinity in buffer with silence; true when there was
// one. A plug-in's output passes through this before a host mixes it: one
// non-finite sample would spread through the host's whole mix.
template <typename Sample, typename Count>
bool SilenceNonFinite(Sample* buffer, Count frames) {
  bool found = false;
  for (Count i = 0; i < frames; ++i) {
    if (!std::isfinite(buffer[i])) {
      buffer[i] = Sample(0);
      found = true;
    }
  }
  return found;
}
