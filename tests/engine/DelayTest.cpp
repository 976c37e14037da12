#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "engine/AudioIO.h"
#include "engine/Delay.h"
#include "engine/Feedback.h"

namespace {

// A delay fed by an input tap, with its feedback node optionally fed back
// from the delay's own output, ticked in the sample loop's order.
struct DelayRig {
  explicit DelayRig(double rate = 44100.0) {
    delay.SetSampleRate(rate);
    delay.SetInput(0, &in);
    delay.SetInputAmount(0, 1.0);
  }
  void FeedBack(double amount) {
    feedback.SetInput(0, &delay);
    feedback.SetInputAmount(0, amount);
  }
  double Tick(double x) {
    in.output = x;
    delay.Process();
    feedback.Process();
    delay.Inject(feedback.output);
    delay.Advance();
    return delay.output;
  }
  // Index of the first tick (from now) whose output is not 0, up to `limit`.
  int FirstNonZero(double impulse, int limit) {
    for (int n = 0; n < limit; ++n)
      if (Tick(n == 0 ? impulse : 0.0) != 0.0) return n;
    return -1;
  }
  AudioIO in;
  Delay delay;
  Feedback feedback;
};

TEST(Delay, ConstructedForOneQuarterAt120BpmAnd44100Hz) {
  Delay d;
  EXPECT_TRUE(d.HasLine());
  EXPECT_EQ(d.sampleRate, 44100.0);
  EXPECT_EQ(d.length, 533610);
  EXPECT_EQ(d.delaySamples, 5512.5);
  EXPECT_EQ(d.tempo, 120.0);
  EXPECT_EQ(d.quarters, 1);
  EXPECT_EQ(d.fine, 1.0);
  EXPECT_EQ(d.feedback, 0.0);
  EXPECT_EQ(d.writeIndex, 0);
}

TEST(Delay, LineLengthFollowsTheSampleRate) {
  Delay d;
  d.SetSampleRate(48000.0);
  EXPECT_EQ(d.length, 580800);
  d.SetSampleRate(96000.0);
  EXPECT_EQ(d.length, 1161600);
}

TEST(Delay, DelayTimeFromTempoQuartersAndFine) {
  Delay d;
  d.SetQuarters(4);
  EXPECT_EQ(d.delaySamples, 22050.0);
  d.SetFine(2.0);
  EXPECT_EQ(d.delaySamples, 44100.0);
  d.SetFine(1.0);
  d.SetTempo(90.0);
  EXPECT_EQ(d.delaySamples, 4 * (60.0 / 90.0 * 0.25) * 44100.0);
  for (double slow : {0.0, -10.0, 12.0, std::nan("")}) {
    d.SetTempo(slow);
    EXPECT_EQ(d.tempo, 30.0) << slow;
  }
  EXPECT_EQ(d.delaySamples, 88200.0);
}

TEST(Delay, ImpulseComesOutAfterTheIntegerDelay) {
  DelayRig rig;
  rig.delay.SetQuarters(2);  // 11025 samples
  EXPECT_EQ(rig.FirstNonZero(1.0, 20000), 11025);
  EXPECT_EQ(rig.delay.output, 1.0);
}

TEST(Delay, FractionalDelayInterpolatesWithTheCubic) {
  DelayRig rig;  // 5512.5 samples
  std::vector<double> out;
  for (int n = 0; n < 5520; ++n) out.push_back(rig.Tick(n == 0 ? 1.0 : 0.0));
  // Catmull-Rom weights at t = 0.5 around the impulse.
  EXPECT_EQ(out[5511], -0.0625);
  EXPECT_EQ(out[5512], 0.5625);
  EXPECT_EQ(out[5513], 0.5625);
  EXPECT_EQ(out[5514], -0.0625);
  EXPECT_EQ(out[5510], 0.0);
  EXPECT_EQ(out[5515], 0.0);
}

TEST(Delay, ZeroQuartersDelaysByTheWholeLine) {
  DelayRig rig(1000.0);  // 12100-sample line
  rig.delay.SetQuarters(0);
  EXPECT_EQ(rig.delay.delaySamples, 0.0);
  EXPECT_EQ(rig.FirstNonZero(1.0, 30000), 12100);
}

TEST(Delay, LongerThanTheLineStaysInsideIt) {
  DelayRig rig(1000.0);
  rig.delay.SetTempo(30.0);
  rig.delay.SetQuarters(15);
  rig.delay.SetFine(2.0);  // 15 s wanted, 12.1 s available
  EXPECT_EQ(rig.delay.delaySamples, rig.delay.length - 2.0);
  EXPECT_EQ(rig.FirstNonZero(1.0, 30000), 12098);
  rig.delay.SetQuarters(-3);  // nonsense count: shortest setting, no stray read
  EXPECT_EQ(rig.delay.delaySamples, 0.0);
  for (int n = 0; n < 100; ++n) rig.Tick(0.5);
}

TEST(Delay, FeedbackIsAddedAtTheWritePositionAndRepeats) {
  DelayRig rig(1000.0);
  rig.delay.SetTempo(60.0);
  rig.delay.SetQuarters(1);  // 250 samples
  rig.FeedBack(1.0);
  rig.delay.feedback = 0.5;
  std::vector<double> out;
  for (int n = 0; n < 1001; ++n) out.push_back(rig.Tick(n == 0 ? 1.0 : 0.0));
  EXPECT_EQ(out[250], 1.0);
  EXPECT_EQ(out[500], 0.5);
  EXPECT_EQ(out[750], 0.25);
  EXPECT_EQ(out[1000], 0.125);
  EXPECT_EQ(out[499], 0.0);

  DelayRig endless(1000.0);
  endless.delay.SetTempo(60.0);
  endless.FeedBack(1.0);
  endless.delay.feedback = 1.0;
  for (int n = 0; n <= 2500; ++n) {
    const double y = endless.Tick(n == 0 ? 1.0 : 0.0);
    if (n > 0 && n % 250 == 0) {
      EXPECT_EQ(y, 1.0) << n;
    }
  }
}

TEST(Delay, SameRateKeepsTheLineNewRateClearsIt) {
  DelayRig rig(1000.0);
  rig.delay.SetTempo(60.0);
  for (int n = 0; n < 100; ++n) rig.Tick(n == 0 ? 1.0 : 0.0);
  rig.delay.SetSampleRate(1000.0);
  EXPECT_EQ(rig.delay.LineSample(0), 1.0);
  EXPECT_EQ(rig.delay.writeIndex, 100);
  rig.delay.SetSampleRate(2000.0);
  EXPECT_EQ(rig.delay.LineSample(0), 0.0);
  EXPECT_EQ(rig.delay.writeIndex, 0);
  EXPECT_EQ(rig.delay.length, 24200);
  EXPECT_EQ(rig.delay.delaySamples, 500.0);  // time recomputed for the new rate
}

TEST(Delay, WithoutALineItPassesItsInputThrough) {
  DelayRig rig(0.0);  // no usable rate, no line
  EXPECT_FALSE(rig.delay.HasLine());
  rig.delay.feedback = 1.0;
  rig.FeedBack(1.0);
  EXPECT_EQ(rig.Tick(0.75), 0.75);
  EXPECT_EQ(rig.Tick(-0.25), -0.25);
  EXPECT_EQ(rig.delay.writeIndex, 0);
  rig.delay.SetSampleRate(1000.0);
  EXPECT_TRUE(rig.delay.HasLine());
}

TEST(Delay, WriteIndexWrapsAtTheEndOfTheLine) {
  DelayRig rig(1000.0);
  for (int n = 0; n < 12100; ++n) rig.Tick(0.0);
  EXPECT_EQ(rig.delay.writeIndex, 0);
  rig.Tick(0.0);
  EXPECT_EQ(rig.delay.writeIndex, 1);
}

}  // namespace
