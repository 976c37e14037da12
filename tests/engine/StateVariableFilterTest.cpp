#include <gtest/gtest.h>

#include <cmath>

#include "engine/AudioIO.h"
#include "engine/StateVariableFilter.h"

namespace {

struct FilterRig {
  FilterRig() {
    filter.SetInput(0, &in);
    filter.SetInputAmount(0, 1.0);
  }
  double Tick(double x) {
    in.output = x;
    filter.Process();
    return filter.output;
  }
  AudioIO in;
  StateVariableFilter filter;
};

TEST(StateVariableFilter, ConstructionValues) {
  StateVariableFilter f;
  EXPECT_EQ(f.sampleRate, 44100.0);
  EXPECT_EQ(f.cutoff, 500.0);
  EXPECT_EQ(f.coefficient, 0.017809246799924374);
  EXPECT_EQ(f.damping, 2.0);
  EXPECT_EQ(f.oversampling, 4);
}

TEST(StateVariableFilter, CoefficientUsesItsOwnPiConstant) {
  StateVariableFilter f;
  f.SetCutoff(1000.0);
  // 2 sin(1000 * 3.1415926538 / (4 * 44100)), evaluated independently.
  EXPECT_EQ(f.coefficient, 0.03561708143539601);
  f.SetSampleRate(48000.0);
  EXPECT_NEAR(f.coefficient, 2.0 * std::sin(1000.0 * 3.1415926538 / 192000.0), 1e-17);
  f.SetResonance(0.99);
  EXPECT_NEAR(f.damping, 0.02, 1e-15);
}

TEST(StateVariableFilter, FirstSampleOfAUnitStepMatchesTheIteration) {
  FilterRig rig;
  rig.Tick(1.0);
  // Reference values of low/band/high after one sample (four iterations at
  // the construction coefficient, damping 2), computed separately.
  EXPECT_EQ(rig.filter.Low(), 0.0018575712852313274);
  EXPECT_EQ(rig.filter.Band(), 0.06746065819249454);
  EXPECT_EQ(rig.filter.High(), 0.895100856108471);
  EXPECT_EQ(rig.filter.Notch(), rig.filter.Low() + rig.filter.High());
  EXPECT_EQ(rig.filter.output, rig.filter.Low());
}

TEST(StateVariableFilter, ShapeSelectsAndCrossFadesTheResponses) {
  FilterRig rig;
  rig.filter.SetCutoff(2000.0);
  struct Case {
    double shape;
    int lower;
    int upper;
  };
  for (const Case& c : {Case{0.0, 0, 0}, Case{1.0 / 3.0, 1, 1}, Case{2.0 / 3.0, 2, 2}, Case{1.0, 3, 3},
                        Case{0.5, 1, 2}}) {
    rig.filter.SetShape(c.shape);
    EXPECT_EQ(rig.filter.shapeLower, c.lower) << c.shape;
    EXPECT_EQ(rig.filter.shapeUpper, c.upper) << c.shape;
  }
  rig.filter.SetShape(1.0 / 3.0);
  EXPECT_EQ(rig.filter.shapeFraction, 0.0);
  for (int n = 0; n < 50; ++n) {
    const double y = rig.Tick(std::sin(n * 0.3));
    EXPECT_EQ(y, rig.filter.Notch());
  }
  rig.filter.SetShape(0.5);
  rig.Tick(0.7);
  EXPECT_EQ(rig.filter.output, 0.5 * rig.filter.Notch() + 0.5 * rig.filter.Band());
  rig.filter.SetShape(1.0);
  rig.Tick(0.7);
  EXPECT_EQ(rig.filter.output, rig.filter.High());
}

TEST(StateVariableFilter, ShapeOutsideItsRangeStaysOnValidResponses) {
  FilterRig rig;
  rig.filter.SetShape(-0.2);
  EXPECT_EQ(rig.filter.shapeLower, 0);
  rig.filter.SetShape(1.7);
  EXPECT_EQ(rig.filter.shapeUpper, 3);
  EXPECT_TRUE(std::isfinite(rig.Tick(1.0)));
}

TEST(StateVariableFilter, LowPassPassesDcAndHighPassBlocksIt) {
  FilterRig rig;
  rig.filter.SetCutoff(1000.0);
  for (int n = 0; n < 20000; ++n) rig.Tick(1.0);
  EXPECT_NEAR(rig.filter.Low(), 1.0, 1e-6);
  EXPECT_NEAR(rig.filter.High(), 0.0, 1e-6);
}

TEST(StateVariableFilter, ResonantImpulseRingsAtTheCutoffAndDecays) {
  FilterRig rig;
  rig.filter.SetCutoff(1000.0);
  rig.filter.SetResonance(0.99);
  rig.filter.SetShape(2.0 / 3.0);  // band-pass
  rig.Tick(1.0);
  int crossings = 0;
  double previous = rig.filter.output;
  double firstPeak = 0.0, tenthPeak = 0.0;
  for (int n = 1; n < 4410; ++n) {
    const double y = rig.Tick(0.0);
    if ((y > 0.0) != (previous > 0.0)) ++crossings;
    previous = y;
    if (n < 441) firstPeak = std::fmax(firstPeak, std::fabs(y));
    if (n >= 3969) tenthPeak = std::fmax(tenthPeak, std::fabs(y));
  }
  // 1000 Hz for 0.1 s: about 200 zero crossings.
  EXPECT_NEAR(crossings, 200, 6);
  EXPECT_GT(firstPeak, 0.01);
  EXPECT_LT(tenthPeak, firstPeak * 0.2);
  EXPECT_GT(tenthPeak, 0.0);  // still ringing: the decay is slow
  for (int n = 0; n < 441000; ++n) rig.Tick(0.0);
  EXPECT_LT(std::fabs(rig.filter.Band()), 1e-15);
}

TEST(StateVariableFilter, LoudInputAtFullResonanceStaysBounded) {
  FilterRig rig;
  rig.filter.SetCutoff(18000.0);
  rig.filter.SetResonance(0.99);
  double peak = 0.0;
  for (int n = 0; n < 44100; ++n) {
    const double y = rig.Tick(10.0 * std::sin(n * 2.0 * 3.141592653589793 * 18000.0 / 44100.0));
    ASSERT_TRUE(std::isfinite(y));
    peak = std::fmax(peak, std::fabs(y));
  }
  EXPECT_LT(peak, 1e4);
}

TEST(StateVariableFilter, ClearStateZeroesAllResponses) {
  FilterRig rig;
  rig.Tick(1.0);
  rig.filter.ClearState();
  EXPECT_EQ(rig.filter.Low(), 0.0);
  EXPECT_EQ(rig.filter.Band(), 0.0);
  EXPECT_EQ(rig.filter.Notch(), 0.0);
  EXPECT_EQ(rig.filter.High(), 0.0);
}

}  // namespace
