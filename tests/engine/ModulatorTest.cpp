#include <gtest/gtest.h>

#include <cmath>

#include "engine/AudioIO.h"
#include "engine/Modulator.h"

namespace {

TEST(Modulator, CoefficientsAreSinglePrecisionPointNineNineAndItsComplement) {
  Modulator m;
  EXPECT_EQ(m.keepCoefficient, 0.9900000095367432);
  EXPECT_EQ(m.newCoefficient, 0.009999990463256836);
  EXPECT_EQ(m.keepCoefficient + m.newCoefficient, 1.0);
}

TEST(Modulator, FirstTickFromRestClampsToMinimumThenGlidesToBase) {
  Modulator cutoff(50.0, 18000.0);
  cutoff.base = 1000.0;
  cutoff.Process();
  EXPECT_EQ(cutoff.smoothed, 1000.0 * 0.009999990463256836);
  EXPECT_EQ(cutoff.output, 50.0);
  for (int tick = 1; tick < 100; ++tick) cutoff.Process();
  // About 63 % of the step after 100 ticks.
  EXPECT_NEAR(cutoff.smoothed / 1000.0, 1.0 - std::pow(0.99, 100), 1e-4);
  for (int tick = 0; tick < 5000; ++tick) cutoff.Process();
  EXPECT_NEAR(cutoff.output, 1000.0, 1e-6);
}

TEST(Modulator, BaseAboveMaximumHoldsMaximumWhileSmoothedKeepsRising) {
  Modulator m(0.0, 1.0);
  m.base = 3.0;
  double previous = 0.0;
  for (int tick = 0; tick < 500; ++tick) {
    m.Process();
    EXPECT_GT(m.smoothed, previous);
    previous = m.smoothed;
  }
  EXPECT_GT(m.smoothed, 1.0);
  EXPECT_EQ(m.output, 1.0);
}

TEST(Modulator, OutputReachingMaximumExactlyIsTheMaximum) {
  Modulator m(0.0, 1.0);
  m.base = 1.0;
  m.smoothed = 1.0;
  m.Process();
  EXPECT_EQ(m.output, 1.0);
  Modulator below(0.5, 2.0);
  below.base = 0.2;
  below.smoothed = 0.2;
  below.Process();
  EXPECT_EQ(below.output, 0.5);
  EXPECT_LT(below.smoothed, 0.5);
}

TEST(Modulator, LinkedModulationIsScaledByTheRangeAndAdds) {
  AudioIO source;
  source.output = 1.0;
  Modulator m(0.5, 2.0);
  m.base = 1.0;
  m.smoothed = 1.0;
  m.SetInput(0, &source);
  m.SetInputAmount(0, 0.25);
  m.SetInput(3, &source);
  m.SetInputAmount(3, 0.25);
  // Target value: base + (max - min) * (0.25 + 0.25) = 1.75.
  for (int tick = 0; tick < 5000; ++tick) m.Process();
  EXPECT_NEAR(m.output, 1.75, 1e-9);
  m.SetInputAmount(0, -1.0);
  m.SetInputAmount(3, -1.0);
  for (int tick = 0; tick < 5000; ++tick) m.Process();
  EXPECT_EQ(m.output, 0.5);
}

}  // namespace
