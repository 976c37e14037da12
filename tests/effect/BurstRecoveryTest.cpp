// Loud bursts through every factory program, as a hostile host sends them:
// 100 blocks of 64 frames of noise at +60 dBFS or at 1e30, then an ordinary
// signal. Whatever the burst started must die away instead of feeding on
// itself in a delay's feedback path.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "effect/FactoryPresets.h"
#include "tests/effect/KestrelTestHost.h"

namespace {

constexpr double kWithin20dB = 10.0;
constexpr int kSeconds = 20;
// The burst's own echo through a line holding the whole 12.1 s, in the
// seconds counted from the burst's end, at least 20 dB below the burst.
constexpr int kLineEchoFirst = 11, kLineEchoLast = 12;
constexpr double kLineEchoLimit = 100.0;

// Peak of the output in each second after the burst.
std::vector<double> PeaksAfterBurst(int program, double level) {
  KestrelTestHost host;
  EXPECT_TRUE(host.LoadPreset(program));
  uint32_t seed = 1;
  auto noise = [&seed](double amplitude) {
    seed = seed * 1664525u + 1013904223u;
    return amplitude * ((seed >> 8) / double(1u << 23) - 1.0);
  };
  std::vector<double> inL(64), inR(64), outL(64), outR(64);
  auto block = [&](double amplitude) {
    for (int i = 0; i < 64; ++i) inL[i] = noise(amplitude), inR[i] = noise(amplitude);
    host.Process(inL.data(), inR.data(), outL.data(), outR.data(), 64);
  };
  for (int b = 0; b < 100; ++b) block(level);
  std::vector<double> peaks(kSeconds, 0.0);
  for (int b = 0; b < kSeconds * 44100 / 64; ++b) {
    block(0.5);
    double& peak = peaks[b * 64 / 44100];
    for (int i = 0; i < 64; ++i) peak = std::fmax(peak, std::fmax(std::fabs(outL[i]), std::fabs(outR[i])));
  }
  return peaks;
}

TEST(BurstRecovery, PlusSixtyDbIsGoneAfterOneSecondInEveryProgram) {
  for (int program = 0; program < kFactoryPresetCount; ++program) {
    const std::vector<double> peaks = PeaksAfterBurst(program, 1000.0);
    for (int s = 1; s < kSeconds; ++s) {
      // A line as long as the buffer repeats the burst itself, quieter.
      const bool echo = s >= kLineEchoFirst && s <= kLineEchoLast;
      EXPECT_LE(peaks[s], echo ? kLineEchoLimit : kWithin20dB) << "program " << program << ", second " << s;
    }
  }
}

TEST(BurstRecovery, HugeBurstNeverGrowsAndFallsBackInEveryProgram) {
  for (int program = 0; program < kFactoryPresetCount; ++program) {
    const std::vector<double> peaks = PeaksAfterBurst(program, 1e30);
    bool back = false;
    for (int s = 0; s < kSeconds; ++s) {
      if (!back && s > 0) {
        EXPECT_LT(peaks[s], peaks[s - 1]) << "program " << program << ", second " << s;
      }
      back = back || peaks[s] <= kWithin20dB;
      if (back) {
        EXPECT_LE(peaks[s], kWithin20dB) << "program " << program << ", second " << s;
      }
    }
    EXPECT_TRUE(back) << "program " << program;
  }
}

}  // namespace
