#pragma once

// The ten LFO waveforms, 2048 single-precision entries per cycle each, in
// morph order: sine, (sin 9x + 0.9 sin 10x) normalised, triangle, falling
// ramp, square, 0.5 sin x (1 + sin x), 0.5 sin 2x (1 + sin 3x),
// sin(x + sin x), sin(x + sin 3x), (sin x + 0.1 sin 10x) normalised.
// All lie within -1..1.
namespace Wavetables {
constexpr int kCount = 10;
constexpr int kLength = 2048;

// Entry n of table `index` (0..9, n 0..2047), at single precision. Out of
// range arguments give 0.
float Entry(int index, int n);
}  // namespace Wavetables
