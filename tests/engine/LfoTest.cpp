#include <gtest/gtest.h>

#include <cmath>

#include "engine/LFO.h"
#include "engine/Wavetables.h"

namespace {

constexpr double kTwoPi = 6.283185307179586;

TEST(Wavetables, FirstEntriesMatchTheShapes) {
  // The stored values, exactly (single precision): several differ from the
  // formulas by a few steps, e.g. the ramp and the square start below 1.
  struct Row {
    int index;
    float e0, e1, e2;
  };
  const Row rows[] = {{0, 0, 0.00306795072f, 0.00613587257f},   {1, 0, 0.029160317f, 0.0582957938f},
                      {2, -1, -0.998046875f, -0.99609375f},      {3, 0.999999881f, 0.999023438f, 0.998046994f},
                      {4, 0.999999762f, 0.999999762f, 0.999999762f}, {5, 0, 0.00153868156f, 0.00308676087f},
                      {6, 0, 0.00309617282f, 0.00624869624f},    {7, 0, 0.00613587257f, 0.0122715002f},
                      {8, 0, 0.0122715142f, 0.0245407913f},      {9, 0, 0.00563501567f, 0.0112673528f}};
  for (const Row& r : rows) {
    EXPECT_EQ(Wavetables::Entry(r.index, 0), r.e0) << r.index;
    EXPECT_EQ(Wavetables::Entry(r.index, 1), r.e1) << r.index;
    EXPECT_EQ(Wavetables::Entry(r.index, 2), r.e2) << r.index;
  }
  // The entries after them follow the formulas again.
  EXPECT_EQ(Wavetables::Entry(3, 3), 1.0f - 3.0f / 1024.0f);
  EXPECT_EQ(Wavetables::Entry(4, 3), 1.0f);
}

TEST(Wavetables, StayInRangeAndFollowTheirFormulasExceptThreeEntries) {
  for (int index = 0; index < Wavetables::kCount; ++index) {
    double low = 1.0, high = -1.0;
    for (int n = 0; n < Wavetables::kLength; ++n) {
      const double v = Wavetables::Entry(index, n);
      low = std::fmin(low, v);
      high = std::fmax(high, v);
    }
    EXPECT_GE(low, index == 5 ? -0.125 : -1.0) << index;
    EXPECT_LE(high, 1.0) << index;
    EXPECT_GT(high, 0.9) << index;  // every shape reaches (nearly) full scale
  }
  EXPECT_FLOAT_EQ(Wavetables::Entry(2, 2047), -0.805046f);
  EXPECT_FLOAT_EQ(Wavetables::Entry(4, 1024), -0.986507f);
  EXPECT_FLOAT_EQ(Wavetables::Entry(4, 2047), -0.976156f);
  // Spot checks against the formulas.
  const double x = kTwoPi * 300 / 2048;
  EXPECT_NEAR(Wavetables::Entry(0, 300), std::sin(x), 1e-6);
  EXPECT_NEAR(Wavetables::Entry(2, 1024), 1.0, 1e-6);
  EXPECT_NEAR(Wavetables::Entry(2, 1536), 0.0, 1e-6);
  EXPECT_NEAR(Wavetables::Entry(3, 1536), -0.5, 1e-6);
  EXPECT_NEAR(Wavetables::Entry(4, 1023), 1.0, 1e-6);
  EXPECT_NEAR(Wavetables::Entry(4, 1025), -1.0, 1e-6);
  EXPECT_NEAR(Wavetables::Entry(5, 300), 0.5 * std::sin(x) * (1 + std::sin(x)), 1e-6);
  EXPECT_NEAR(Wavetables::Entry(6, 300), 0.5 * std::sin(2 * x) * (1 + std::sin(3 * x)), 1e-6);
  EXPECT_NEAR(Wavetables::Entry(7, 300), std::sin(x + std::sin(x)), 1e-6);
  EXPECT_NEAR(Wavetables::Entry(8, 300), std::sin(x + std::sin(3 * x)), 1e-6);
  EXPECT_NEAR(Wavetables::Entry(1, 300), (std::sin(9 * x) + 0.9 * std::sin(10 * x)) / 1.8935, 1e-3);
  EXPECT_NEAR(Wavetables::Entry(9, 300), (std::sin(x) + 0.1 * std::sin(10 * x)) / 1.0888, 1e-3);
  EXPECT_EQ(Wavetables::Entry(10, 0), 0.0f);
  EXPECT_EQ(Wavetables::Entry(0, 2048), 0.0f);
}

TEST(LFO, EachCopyWrapsItsLastEntry) {
  LFO lfo;
  for (int index = 0; index < Wavetables::kCount; ++index) {
    EXPECT_EQ(lfo.TableEntry(index, 2048), lfo.TableEntry(index, 0));
    EXPECT_EQ(lfo.TableEntry(index, 77), static_cast<double>(Wavetables::Entry(index, 77)));
  }
  EXPECT_EQ(lfo.increment, 46.439909297052154);
  EXPECT_EQ(lfo.rate, 1000.0);
}

TEST(LFO, SineStartsAtHalfAndRises) {
  LFO lfo;
  lfo.SetRate(100.0);
  EXPECT_NEAR(lfo.increment, 4.644, 1e-3);
  lfo.Process();
  EXPECT_EQ(lfo.output, 0.5);
  for (int n = 1; n < 100; ++n) {
    lfo.Process();
    EXPECT_NEAR(lfo.output, (1.0 + std::sin(kTwoPi * 100.0 * n / 44100.0)) * 0.5, 1e-5) << n;
  }
}

TEST(LFO, PhaseOffsetQuarterStartsAtTheTopAndOneActsAsZero) {
  LFO top;
  top.SetRate(1.0);
  top.phaseOffset = 0.25;
  top.Process();
  EXPECT_NEAR(top.output, 1.0, 1e-7);

  LFO whole, none;
  for (LFO* l : {&whole, &none}) l->SetRate(3.0);
  whole.phaseOffset = 1.0;
  for (int n = 0; n < 1000; ++n) {
    whole.Process();
    none.Process();
    // Adding and removing a whole cycle may round the read position.
    ASSERT_NEAR(whole.output, none.output, 1e-12) << n;
  }
}

TEST(LFO, SquareShapeIsHighForTheFirstHalfCycle) {
  LFO lfo;
  lfo.SetShape(4.0 / 9.0);
  EXPECT_EQ(lfo.shapeLower, 4);
  EXPECT_EQ(lfo.shapeUpper, 4);
  lfo.SetRate(10.0);  // 4410 samples per cycle
  for (int n = 0; n < 4410; ++n) {
    lfo.Process();
    if (n > 20 && n < 2180) {
      EXPECT_NEAR(lfo.output, 1.0, 1e-6) << n;
    }
    if (n > 2230 && n < 4380) {
      EXPECT_NEAR(lfo.output, 0.0, 1e-6) << n;
    }
  }
}

TEST(LFO, SlowestRateTakesOneHundredSecondsPerCycle) {
  LFO lfo;
  lfo.SetRate(0.01);
  EXPECT_NEAR(lfo.increment * 44100.0 * 100.0, 2048.0, 1e-9);
  lfo.SetSampleRate(48000.0);
  EXPECT_NEAR(lfo.increment * 48000.0 * 100.0, 2048.0, 1e-9);
}

TEST(LFO, MorphCrossFadesNeighbouringTables) {
  LFO morph, lower, upper;
  morph.SetShape(0.5);  // 4.5: half square, half table 5
  EXPECT_EQ(morph.shapeLower, 4);
  EXPECT_EQ(morph.shapeUpper, 5);
  EXPECT_EQ(morph.shapeFraction, 0.5);
  lower.SetShape(4.0 / 9.0);
  upper.SetShape(5.0 / 9.0);
  for (LFO* l : {&morph, &lower, &upper}) l->SetRate(7.0);
  for (int n = 0; n < 500; ++n) {
    morph.Process();
    lower.Process();
    upper.Process();
    EXPECT_NEAR(morph.output, 0.5 * lower.output + 0.5 * upper.output, 1e-12);
  }
}

TEST(LFO, SettingsOutsideTheirRangesNeverLeaveTheTable) {
  LFO lfo;
  lfo.SetShape(3.0);
  EXPECT_EQ(lfo.shapeUpper, 9);
  lfo.SetShape(-1.0);
  EXPECT_EQ(lfo.shapeLower, 0);
  for (double offset : {-0.7, 2.5, std::nan("")}) {
    for (double rate : {-500.0, 1e9, 0.0}) {
      lfo.phaseOffset = offset;
      lfo.SetRate(rate);
      for (int n = 0; n < 50; ++n) {
        lfo.Process();
        ASSERT_GE(lfo.phase, 0.0);
        ASSERT_LT(lfo.phase, 2048.0);
        ASSERT_GE(lfo.output, 0.0);
        ASSERT_LE(lfo.output, 1.0);
      }
    }
  }
}

}  // namespace
