#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "engine/AudioIO.h"
#include "engine/BitCrusher.h"

namespace {

struct CrusherRig {
  CrusherRig() {
    crusher.SetInput(0, &in);
    crusher.SetInputAmount(0, 1.0);
  }
  double Tick(double x) {
    in.output = x;
    crusher.Process();
    return crusher.output;
  }
  AudioIO in;
  BitCrusher crusher;
};

TEST(BitCrusher, ConstructedAtSixteenBitsFullRate) {
  BitCrusher c;
  EXPECT_EQ(c.bits, 16.0);
  EXPECT_EQ(c.levels, 65536.0);
  EXPECT_EQ(c.rate, 1.0);
  EXPECT_EQ(c.phase, 0.0);
}

TEST(BitCrusher, LevelsFollowFractionalBits) {
  BitCrusher c;
  c.SetBits(2.5);
  EXPECT_DOUBLE_EQ(c.levels, std::sqrt(32.0));
  c.SetBits(64.0);
  EXPECT_EQ(c.levels, 18446744073709551616.0);
  c.SetBits(1.0);
  EXPECT_EQ(c.levels, 2.0);
}

TEST(BitCrusher, OneBitQuantisesTowardsMinusInfinity) {
  CrusherRig rig;
  rig.crusher.SetBits(1.0);
  EXPECT_EQ(rig.Tick(0.0), 0.0);
  EXPECT_EQ(rig.Tick(0.3), 0.0);
  EXPECT_EQ(rig.Tick(0.49), 0.0);
  EXPECT_EQ(rig.Tick(0.5), 0.5);
  EXPECT_EQ(rig.Tick(0.99), 0.5);
  EXPECT_EQ(rig.Tick(-0.3), -0.5);
  EXPECT_EQ(rig.Tick(-0.5), -0.5);
  EXPECT_EQ(rig.Tick(-0.51), -1.0);
}

TEST(BitCrusher, HalfRateHoldsEachCaptureForTwoTicks) {
  CrusherRig rig;
  rig.crusher.SetRate(0.5);
  std::vector<double> out;
  for (int n = 1; n <= 8; ++n) out.push_back(rig.Tick(n * 0.125));
  // Captures on ticks 2, 4, 6, 8; the inputs of ticks 1, 3, 5, 7 are never read.
  EXPECT_EQ(out, (std::vector<double>{0.0, 0.25, 0.25, 0.5, 0.5, 0.75, 0.75, 1.0}));
}

TEST(BitCrusher, RateZeroPointThreeAlternatesHoldsOfThreeAndFour) {
  CrusherRig rig;
  rig.crusher.SetRate(0.3);
  std::vector<int> captureTicks;
  for (int n = 1; n <= 100; ++n) {
    const double before = rig.crusher.output;
    if (rig.Tick(n) != before) captureTicks.push_back(n);
  }
  ASSERT_GT(captureTicks.size(), 20u);
  EXPECT_EQ(captureTicks[0], 4);
  int threes = 0, fours = 0;
  for (size_t k = 1; k < captureTicks.size(); ++k) {
    const int hold = captureTicks[k] - captureTicks[k - 1];
    EXPECT_TRUE(hold == 3 || hold == 4) << "hold " << hold;
    (hold == 3 ? threes : fours)++;
  }
  EXPECT_GT(threes, 0);
  EXPECT_GT(fours, 0);
}

}  // namespace
