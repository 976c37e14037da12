#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <random>

#include "engine/DenormalGuard.h"
#include "engine/Engine.h"
#include "tests/engine/EngineTestSupport.h"

namespace {

using namespace engine_test;

// Every audio module in one graph: both inputs through crusher, filter and
// delay (with its feedback node) to the masters, plus cross links.
void RouteEverything(Engine& e) {
  Route(e, 0, kIn1, kCrusher1Dst, 1.0);
  Route(e, 1, kCrusher1Src, kFilter1Dst, 1.0);
  Route(e, 2, kFilter1Src, kDelay1Dst, 1.0);
  Route(e, 3, kDelay1Src, kDelayFb1, 1.0);
  Route(e, 4, kDelay1Src, kOut1, 1.0);
  Route(e, 5, kIn2, kFilter2Dst, 1.0);
  Route(e, 6, kFilter2Src, kCrusher2Dst, 1.0);
  Route(e, 7, kCrusher2Src, kDelay2Dst, 1.0);
  Route(e, 8, kDelay2Src, kDelayFb2, 1.0);
  Route(e, 9, kDelay2Src, kOut2, 1.0);
  Route(e, 10, kFilter1Src, kOut2, 0.5);
  Route(e, 11, kIn2, kOut1, -0.5);
  Modulate(e, 0, kLfo1, 9, 1.0);
  Modulate(e, 1, kLfo2, 14, -1.0);
  Modulate(e, 2, kEnvelope, 5, 1.0);
  Modulate(e, 3, kLfo1, 17, -1.0);
  Modulate(e, 4, kLfo2, 21, 1.0);
  Modulate(e, 5, kEnvelope, 19, 1.0);
}

StereoBuffer Noise(int frames, double amplitude, unsigned seed) {
  std::mt19937 rng(seed);
  std::uniform_real_distribution<double> u(-amplitude, amplitude);
  StereoBuffer b(frames);
  for (int i = 0; i < frames; ++i) {
    b.left[i] = u(rng);
    b.right[i] = u(rng);
  }
  return b;
}

struct Extreme {
  const char* label;
  bool high;  // every setting at its maximum (else minimum)
  int controlChoice;
  int quarters;
  double tempo;
  double gain;
};

class EngineExtremes : public ::testing::TestWithParam<Extreme> {};

TEST_P(EngineExtremes, ThousandBlocksStayFiniteAndBounded) {
  const Extreme& x = GetParam();
  auto engine = std::make_unique<Engine>();
  Engine& e = *engine;
  ASSERT_TRUE(e.Reset(44100.0));
  ApplyDefaultBases(e);
  RouteEverything(e);
  for (int target = 1; target <= 24; ++target) {
    Modulator* m = e.ModulationTarget(target);
    m->base = x.high ? m->maximum : m->minimum;
  }
  e.SetControlRateChoice(x.controlChoice);
  e.delayLeft.SetQuarters(x.quarters);
  e.delayRight.SetQuarters(15 - x.quarters);
  e.envelopeInputGain = x.gain;
  e.envFollower.SetAttack(x.high ? 5.0 : 0.001);
  e.envFollower.SetRelease(x.high ? 5.0 : 0.001);
  e.dryWetMix = 1.0;
  e.softClip = !x.high;
  IMidiEventQueue midi(1024);
  const StereoBuffer in = Noise(64, 1.0, 7);
  StereoBuffer out(64);
  double peak = 0.0;
  for (int block = 0; block < 1000; ++block) {
    ProcessInBlocks(e, in, out, 64, midi, x.tempo);
    for (int i = 0; i < 64; ++i) {
      ASSERT_TRUE(std::isfinite(out.left[i]) && std::isfinite(out.right[i])) << x.label << " block " << block;
      peak = std::fmax(peak, std::fmax(std::fabs(out.left[i]), std::fabs(out.right[i])));
    }
  }
  EXPECT_LT(peak, 1000.0) << x.label;
  EXPECT_TRUE(std::isfinite(e.filterLeft.Band()));
  EXPECT_TRUE(std::isfinite(e.envFollower.envelope));
}

INSTANTIATE_TEST_SUITE_P(
    Settings, EngineExtremes,
    ::testing::Values(Extreme{"minimum, rate 1", false, 0, 0, 30.0, 1.0},
                      Extreme{"maximum, rate 1", true, 0, 15, 300.0, 3.1622776601683795},
                      Extreme{"minimum, rate 64", false, 5, 1, 0.0, 0.0001},
                      Extreme{"maximum, rate 64", true, 5, 1, 999.0, 3.1622776601683795},
                      Extreme{"maximum, rate 16, slow host", true, 3, 4, 1.0, 1.0},
                      Extreme{"defaults", false, 3, 4, 120.0, 1.0}),
    [](const ::testing::TestParamInfo<Extreme>& info) { return "Case" + std::to_string(info.index); });

TEST(EngineRobustness, NonFiniteInputDoesNotPoisonLaterOutput) {
  const double bad[] = {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
                        -std::numeric_limits<double>::infinity()};
  for (double poison : bad) {
    auto engine = std::make_unique<Engine>();
    Engine& e = *engine;
    e.Reset(44100.0);
    ApplyDefaultBases(e);
    RouteEverything(e);
    e.delayFeedbackModLeft.base = e.delayFeedbackModRight.base = 0.7;
    StereoBuffer in = Noise(30000, 0.5, 11), out(30000);
    in.left[100] = poison;
    in.right[101] = poison;
    ProcessInBlocks(e, in, out, 256);
    for (int i = 0; i < 30000; ++i) {
      if (i == 100 || i == 101) continue;  // the dry path carries the bad sample itself
      ASSERT_TRUE(std::isfinite(out.left[i]) && std::isfinite(out.right[i])) << poison << " at " << i;
    }
    EXPECT_TRUE(std::isfinite(e.envFollower.envelope));
  }
}

TEST(EngineRobustness, OverflowingInputRecoversOnceTheInputIsSane) {
  auto engine = std::make_unique<Engine>();
  Engine& e = *engine;
  e.Reset(44100.0);
  ApplyDefaultBases(e);
  RouteEverything(e);
  e.filterResModLeft.base = e.filterResModRight.base = 0.99;
  e.dryWetMix = 1.0;
  e.softClip = true;
  StereoBuffer huge(2048, 1e305), out(2048);
  ProcessInBlocks(e, huge, out, 256);
  for (int i = 0; i < 2048; ++i) ASSERT_TRUE(std::isfinite(out.left[i]) && std::isfinite(out.right[i])) << i;
  const StereoBuffer sane = Noise(44100, 0.5, 5);
  StereoBuffer out2(44100);
  ProcessInBlocks(e, sane, out2, 256);
  double lateEnergy = 0.0;
  for (int i = 0; i < 44100; ++i) {
    ASSERT_TRUE(std::isfinite(out2.left[i]) && std::isfinite(out2.right[i])) << i;
    if (i > 40000) lateEnergy += out2.left[i] * out2.left[i] + out2.right[i] * out2.right[i];
  }
  EXPECT_GT(lateEnergy, 0.0);  // the wet path works again
  EXPECT_TRUE(std::isfinite(e.filterLeft.Low()));
  EXPECT_TRUE(std::isfinite(e.delayLeft.output));
}

TEST(EngineRobustness, SilenceAfterABurstLeavesNoSubnormalState) {
  auto engine = std::make_unique<Engine>();
  Engine& e = *engine;
  e.Reset(44100.0);
  ApplyDefaultBases(e);
  RouteEverything(e);
  e.filterResModLeft.base = e.filterResModRight.base = 0.99;
  e.delayFeedbackModLeft.base = e.delayFeedbackModRight.base = 0.3;
  const StereoBuffer burst = Noise(4410, 1.0, 9);
  StereoBuffer silence(44100), out(44100);
  ProcessInBlocks(e, burst, out, 512);
  for (int pass = 0; pass < 40; ++pass) ProcessInBlocks(e, silence, out, 512);
  auto normalOrZero = [](double v) { return std::fpclassify(v) != FP_SUBNORMAL; };
  EXPECT_TRUE(normalOrZero(e.envFollower.envelope)) << e.envFollower.envelope;
  for (const StateVariableFilter* f : {&e.filterLeft, &e.filterRight})
    for (double r : f->response) EXPECT_TRUE(normalOrZero(r)) << r;
  for (double v : out.left) ASSERT_TRUE(normalOrZero(v)) << v;
  for (double v : out.right) ASSERT_TRUE(normalOrZero(v)) << v;
}

TEST(EngineRobustness, ProcessFlushesSubnormalsInsideAndRestoresTheCallersMode) {
#if KESTREL_HAS_MXCSR
  auto engine = std::make_unique<Engine>();
  Engine& e = *engine;
  e.Reset(44100.0);
  e.dryWetMix = 0.0;
  // Control bits only; the low six bits are sticky exception flags.
  constexpr unsigned int kControlBits = ~0x3Fu;
  const unsigned int before = _mm_getcsr() & kControlBits;
  ASSERT_EQ(before & (DenormalGuard::kFlushToZero | DenormalGuard::kDenormalsAreZero), 0u);
  StereoBuffer in(4, 1e-310), out(4);
  ProcessInBlocks(e, in, out, 4);
  EXPECT_EQ(_mm_getcsr() & kControlBits, before);
  EXPECT_EQ(out.left[0], 0.0);  // the subnormal sample was read as zero inside
  volatile double tiny = 1e-310;
  EXPECT_NE(tiny * 0.5, 0.0);  // and outside, subnormals are back
  {
    DenormalGuard guard;
    EXPECT_EQ(tiny * 0.5, 0.0);
  }
  EXPECT_EQ(_mm_getcsr() & kControlBits, before);
#else
  GTEST_SKIP() << "no MXCSR on this target";
#endif
}

TEST(EngineRobustness, BadBlockArgumentsAreRefusedWithoutWriting) {
  auto engine = std::make_unique<Engine>();
  Engine& e = *engine;
  e.Reset(44100.0);
  IMidiEventQueue midi(16);
  double left[4] = {1, 2, 3, 4}, right[4] = {5, 6, 7, 8};
  double outL[4] = {9, 9, 9, 9}, outR[4] = {9, 9, 9, 9};
  const double* inputs[2] = {left, right};
  double* outputs[2] = {outL, outR};
  e.Process(inputs, outputs, -5, 120.0, midi);
  e.Process(nullptr, outputs, 4, 120.0, midi);
  e.Process(inputs, nullptr, 4, 120.0, midi);
  const double* halfInputs[2] = {left, nullptr};
  e.Process(halfInputs, outputs, 4, 120.0, midi);
  for (double v : outL) EXPECT_EQ(v, 9.0);
  for (double v : outR) EXPECT_EQ(v, 9.0);
  e.Process(inputs, outputs, 4, std::numeric_limits<double>::quiet_NaN(), midi);
  EXPECT_EQ(e.delayLeft.tempo, 120.0);
  e.Process(inputs, outputs, 4, std::numeric_limits<double>::infinity(), midi);
  EXPECT_EQ(e.delayLeft.tempo, 120.0);
}

TEST(EngineRobustness, UnusableSampleRatesAreRefusedAndChangeNothing) {
  auto engine = std::make_unique<Engine>();
  Engine& e = *engine;
  ASSERT_TRUE(e.Reset(48000.0));
  for (double rate : {0.0, -44100.0, 10.0, 5e6, std::numeric_limits<double>::quiet_NaN(),
                      std::numeric_limits<double>::infinity()}) {
    EXPECT_FALSE(e.Reset(rate)) << rate;
    EXPECT_EQ(e.SampleRate(), 48000.0);
    EXPECT_EQ(e.delayLeft.length, 580800);
    EXPECT_EQ(e.filterRight.sampleRate, 48000.0);
  }
}

}  // namespace
