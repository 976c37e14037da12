#include <gtest/gtest.h>

#include "engine/AudioIO.h"
#include "engine/Feedback.h"
#include "engine/Gain.h"
#include "engine/Pan.h"
#include "engine/SoftClip.h"

namespace {

TEST(SoftClip, KnownPointsOfTheCurve) {
  EXPECT_EQ(SoftClip(3.0), 1.0);
  EXPECT_EQ(SoftClip(-3.0), -1.0);
  EXPECT_NEAR(SoftClip(1.0), 0.7777777777777778, 1e-15);
  EXPECT_NEAR(SoftClip(0.1), 0.0997, 1e-4);
  EXPECT_EQ(SoftClip(0.0), 0.0);
  // Unclamped: rises again beyond 3, roughly like v / 9.
  EXPECT_GT(SoftClip(30.0), SoftClip(3.0));
  EXPECT_NEAR(SoftClip(1e6) / 1e6, 1.0 / 9.0, 1e-6);
}

TEST(Pan, SplitSendsPositionToTheRightAndTheRestToTheLeft) {
  Pan pan;
  EXPECT_EQ(pan.position, 1.0);
  pan.Split(2.0);
  EXPECT_EQ(pan.leftPart, 0.0);
  EXPECT_EQ(pan.rightPart, 2.0);
  pan.position = 0.0;
  pan.Split(2.0);
  EXPECT_EQ(pan.leftPart, 2.0);
  EXPECT_EQ(pan.rightPart, 0.0);
  pan.position = 0.25;
  pan.Split(4.0);
  EXPECT_EQ(pan.leftPart, 3.0);
  EXPECT_EQ(pan.rightPart, 1.0);
}

TEST(GainAndFeedback, ScaleAndPassTheirInputSums) {
  AudioIO x;
  x.output = 0.5;
  Gain gain;
  EXPECT_EQ(gain.gain, 1.0);
  gain.SetInput(0, &x);
  gain.SetInputAmount(0, -2.0);
  gain.gain = 0.25;
  gain.Process();
  EXPECT_EQ(gain.output, -0.25);

  Feedback node;
  node.SetInput(11, &x);
  node.SetInputAmount(11, 3.0);
  node.Process();
  EXPECT_EQ(node.output, 1.5);
}

}  // namespace
