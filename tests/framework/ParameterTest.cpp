#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "framework/IParameter.h"

namespace {

std::string Display(const IParameter& p, double v, bool normalised = false, bool texts = true) {
  char out[IParameter::kTextSize];
  p.DisplayText(v, normalised, out, texts);
  return out;
}

TEST(ParameterDefine, DoubleCopiesRangeAndDerivesDecimals) {
  IParameter p;
  p.DefineDouble("Gain", 0.0, -80.0, 10.0, 0.1, "dB");
  EXPECT_EQ(p.Kind(), IParameter::kDouble);
  EXPECT_STREQ(p.Name(), "Gain");
  EXPECT_STREQ(p.Label(), "dB");
  EXPECT_EQ(p.Minimum(), -80.0);
  EXPECT_EQ(p.Maximum(), 10.0);
  EXPECT_EQ(p.DisplayDecimals(), 1);
  EXPECT_EQ(Display(p, -80.0), "-80.0");
}

TEST(ParameterDefine, DecimalsFollowTheStepUpToSix) {
  const struct {
    double step;
    int decimals;
  } cases[] = {{1.0, 0}, {0.1, 1}, {0.01, 2}, {0.5, 1}, {0.0000001, 6}};
  for (const auto& c : cases) {
    IParameter p;
    p.DefineDouble("x", 0.0, 0.0, 100.0, c.step, "");
    EXPECT_EQ(p.DisplayDecimals(), c.decimals) << "step " << c.step;
  }
}

TEST(ParameterDefine, MaximumIsRaisedToMinimumPlusStep) {
  IParameter p;
  p.DefineDouble("x", 0.0, 5.0, 5.5, 1.0, "");
  EXPECT_EQ(p.Maximum(), 6.0);
}

TEST(ParameterDefine, BoolHasOffOnTexts) {
  IParameter p;
  p.DefineBool("Clip", true);
  EXPECT_EQ(p.Kind(), IParameter::kBool);
  EXPECT_EQ(p.Value(), 1.0);
  EXPECT_EQ(p.ValueTextCount(), 2);
  EXPECT_EQ(Display(p, 1.0), "on");
  EXPECT_EQ(Display(p, 0.0), "off");
  EXPECT_EQ(Display(p, 1.0, false, false), "1");
}

TEST(ParameterDefine, EnumSpansCountMinusOneAndSteps) {
  IParameter p;
  p.DefineEnum("Mode", 0, 4);
  EXPECT_EQ(p.Kind(), IParameter::kEnum);
  EXPECT_EQ(p.Maximum(), 3.0);
  p.SetFromNormalised(0.5);  // 1.5 rounds up
  EXPECT_EQ(p.Value(), 2.0);
  p.SetFromNormalised(1.0);
  EXPECT_EQ(p.Value(), 3.0);
  p.SetFromNormalised(0.1);  // 0.3 rounds down
  EXPECT_EQ(p.Value(), 0.0);
}

TEST(ParameterDefine, SecondDefineKeepsTheFirstKind) {
  IParameter p;
  p.DefineEnum("Mode", 1, 3);
  p.DefineDouble("Other", 0.25, 0.0, 1.0, 0.01, "");
  EXPECT_EQ(p.Kind(), IParameter::kEnum);
  EXPECT_STREQ(p.Name(), "Other");
  EXPECT_EQ(p.Value(), 0.25);
}

TEST(ParameterDefine, OverlongTextsAreTruncated) {
  IParameter p;
  const std::string longName(100, 'n');
  p.DefineDouble(longName.c_str(), 0, 0, 1, 0.1, longName.c_str());
  p.AddValueText(0, longName.c_str());
  EXPECT_EQ(std::string(p.Name()), std::string(31, 'n'));
  EXPECT_EQ(std::string(p.Label()).size(), 31u);
  EXPECT_EQ(std::string(p.ValueText(0)).size(), 31u);
}

TEST(ParameterMapping, CurveExponentShapesBothDirections) {
  IParameter p;
  p.DefineDouble("Freq", 25.0, 0.0, 100.0, 0.01, "Hz");
  p.SetCurveExponent(2.0);
  EXPECT_DOUBLE_EQ(p.Normalised(), 0.5);
  p.SetFromNormalised(0.5);
  EXPECT_DOUBLE_EQ(p.Value(), 25.0);
  EXPECT_DOUBLE_EQ(p.NormalisedOf(100.0), 1.0);
  p.SetCurveExponent(0.0);  // ignored
  EXPECT_EQ(p.CurveExponent(), 2.0);
}

TEST(ParameterMapping, NormalisedLimitsToTheRange) {
  IParameter p;
  p.DefineDouble("x", 0.0, -10.0, 10.0, 0.1, "");
  EXPECT_EQ(p.NormalisedOf(-50.0), 0.0);
  EXPECT_EQ(p.NormalisedOf(50.0), 1.0);
  EXPECT_DOUBLE_EQ(p.NormalisedOf(5.0), 0.75);
}

TEST(ParameterMapping, SetFromNormalisedStaysInRangeForHostilInput) {
  IParameter p;
  p.DefineDouble("x", 3.0, 0.0, 10.0, 0.1, "");
  p.SetCurveExponent(0.5);
  p.SetFromNormalised(1.5);
  EXPECT_EQ(p.Value(), 10.0);
  p.SetFromNormalised(-0.5);  // would be NaN through the fractional exponent
  EXPECT_EQ(p.Value(), 0.0);
  p.SetFromNormalised(0.25);
  const double before = p.Value();
  p.SetFromNormalised(std::nan(""));
  EXPECT_EQ(p.Value(), before);
}

TEST(ParameterMapping, SetClampedLimitsWithoutStepping) {
  IParameter p;
  p.DefineEnum("e", 0, 4);
  p.SetClamped(1000.0);
  EXPECT_EQ(p.Value(), 3.0);
  p.SetClamped(1.4);
  EXPECT_EQ(p.Value(), 1.4);
  p.SetClamped(-1.0);
  EXPECT_EQ(p.Value(), 0.0);
  p.SetClamped(std::nan(""));
  EXPECT_EQ(p.Value(), 0.0);
  IParameter unit;  // undefined: range 0..1
  unit.SetClamped(1000.0);
  EXPECT_EQ(unit.Value(), 1.0);
}

TEST(ParameterMapping, DecibelsToAmplitude) {
  IParameter p;
  p.DefineDouble("Gain", -6.0, -80.0, 10.0, 0.1, "dB");
  EXPECT_NEAR(p.DecibelsToAmplitude(), 0.501187, 1e-6);
  p.SetClamped(0.0);
  EXPECT_EQ(p.DecibelsToAmplitude(), 1.0);
}

TEST(ParameterValueTexts, FirstEntryWinsAndMissingIsEmpty) {
  IParameter p;
  p.DefineEnum("Shape", 0, 3);
  p.AddValueText(0, "sine");
  p.AddValueText(1, "");
  p.AddValueText(0, "second");
  EXPECT_STREQ(p.ValueText(0), "sine");
  EXPECT_STREQ(p.ValueText(2), "");
  int v = -1;
  EXPECT_TRUE(p.FindValueText("second", &v));
  EXPECT_EQ(v, 0);
  EXPECT_FALSE(p.FindValueText("Sine", &v));  // case-sensitive
  // No entry, or an empty one, falls back to the number.
  EXPECT_EQ(Display(p, 2.0), "2");
  EXPECT_EQ(Display(p, 1.0), "1");
  EXPECT_EQ(Display(p, 0.0), "sine");
}

TEST(ParameterDisplay, TruncatesTowardZeroWithoutDecimals) {
  IParameter p;
  p.DefineDouble("x", 0.0, -10.0, 10.0, 1.0, "");
  EXPECT_EQ(Display(p, 2.7), "2");
  EXPECT_EQ(Display(p, -2.7), "-2");
  EXPECT_EQ(Display(p, 1e300), "2147483647");  // no overflow
}

TEST(ParameterDisplay, AValueRestoredFromAFloatShowsTheStepItCameFrom) {
  IParameter attack;
  attack.DefineDouble("attack", 5.0, 0.0, 1000.0, 1.0, "ms");
  attack.SetCurveExponent(3.0);
  attack.SetFromNormalised(static_cast<float>(attack.Normalised()));
  EXPECT_LT(attack.Value(), 5.0);  // what a host restores: just below
  EXPECT_EQ(Display(attack, attack.Value()), "5");
  EXPECT_EQ(Display(attack, 4.9), "4");  // truncation stays beyond that error
  IParameter gain;
  gain.DefineDouble("gain", 0.0, -80.0, 10.0, 0.1, "dB");
  EXPECT_EQ(Display(gain, -1e-9), "0.0");
  EXPECT_EQ(Display(gain, -0.04), "0.0");  // never "-0.0"
  EXPECT_EQ(Display(gain, -0.05), "-0.1");
  EXPECT_EQ(Display(gain, -INFINITY), "-inf");
}

TEST(ParameterDisplay, NormalisedInputIsMappedNotStepped) {
  IParameter p;
  p.DefineDouble("x", 0.0, 0.0, 100.0, 0.01, "");
  p.SetCurveExponent(2.0);
  EXPECT_EQ(Display(p, 0.5, true), "25.00");
  EXPECT_EQ(Display(p, 0.123, true), "1.51");
}

}  // namespace
