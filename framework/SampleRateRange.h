#pragma once
// The sample rates the plug-in runs at. The host-facing base and the signal
// engine both check against this one range, so a rate one of them refuses
// is refused by both and they never disagree about the rate in force.
// Below the range the control grid and filters lose meaning; above it the
// delay lines would grow beyond reason.

constexpr double kMinSampleRate = 1000.0;
constexpr double kMaxSampleRate = 768000.0;

// False for rates outside the range and for NaN.
constexpr bool IsSupportedSampleRate(double rate) { return rate >= kMinSampleRate && rate <= kMaxSampleRate; }
