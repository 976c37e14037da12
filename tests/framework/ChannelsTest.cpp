#include <gtest/gtest.h>

#include <vector>

#include "tests/framework/TestEffect.h"

namespace {

// An effect that doubles its input, and records the block lengths it saw.
class Doubler : public TestEffect {
 public:
  using TestEffect::TestEffect;
  void ProcessDouble(double** in, double** out, int frames) override {
    blocks.push_back(frames);
    for (int c = 0; c < 2; ++c)
      for (int s = 0; s < frames; ++s) out[c][s] = 2.0 * in[c][s];
  }
  std::vector<int> blocks;
};

TEST(ChannelConfiguration, ParsesTokensAndLegalIO) {
  TestEffect fx;
  ASSERT_EQ(fx.ChannelIOCount(), 2);
  EXPECT_EQ(fx.ChannelIO(0)->inputs, 1);
  EXPECT_EQ(fx.ChannelIO(1)->outputs, 2);
  EXPECT_EQ(fx.ChannelIO(2), nullptr);
  EXPECT_EQ(fx.InputChannelCount(), 2);
  EXPECT_EQ(fx.OutputChannelCount(), 2);
  EXPECT_TRUE(fx.LegalIO(1, -1));
  EXPECT_TRUE(fx.LegalIO(2, 2));
  EXPECT_FALSE(fx.LegalIO(1, 2));
  EXPECT_TRUE(fx.LegalIO(-1, 2));
  EXPECT_FALSE(fx.LegalIO(3, -1));
  TestEffect stereo(1, 1, "2-2");
  EXPECT_FALSE(stereo.LegalIO(1, -1));
}

TEST(ChannelConfiguration, LargestCountsAndUnparsableTokens) {
  TestEffect quad(1, 1, "4-4 2-2");
  EXPECT_EQ(quad.InputChannelCount(), 4);
  EXPECT_EQ(quad.OutputChannelCount(), 4);
  TestEffect odd(1, 1, "x 3-");
  ASSERT_EQ(odd.ChannelIOCount(), 2);
  EXPECT_EQ(odd.ChannelIO(0)->inputs, 0);
  EXPECT_EQ(odd.ChannelIO(0)->outputs, 0);
  EXPECT_EQ(odd.ChannelIO(1)->inputs, 3);
  EXPECT_EQ(odd.ChannelIO(1)->outputs, 0);
  EXPECT_EQ(odd.OutputChannelCount(), 0);
  TestEffect none(1, 1, nullptr);
  EXPECT_EQ(none.ChannelIOCount(), 0);
  EXPECT_EQ(none.InputChannelCount(), 0);
  none.SetBlockFrames(16);
  none.RunBlockReplacing(16);  // no channels at all: null arrays, nothing breaks
}

TEST(ChannelScratch, SetBlockFramesZeroesOnlyOnChange) {
  TestEffect fx;
  fx.SetBlockFrames(8);
  ASSERT_EQ(fx.BlockFrames(), 8);
  fx.ConnectOutputs(0, 2, false);
  double* scratch = fx.OutputPointers()[0];
  scratch[3] = 5.0;
  fx.SetBlockFrames(8);
  EXPECT_EQ(fx.OutputPointers()[0][3], 5.0);
  fx.SetBlockFrames(16);
  for (int s = 0; s < 16; ++s) EXPECT_EQ(fx.OutputPointers()[0][s], 0.0);
  fx.SetBlockFrames(0);
  fx.SetBlockFrames(-4);
  EXPECT_EQ(fx.BlockFrames(), 16);
}

TEST(ChannelBinding, DisconnectedInputSkipsHostBufferAndReadsZeros) {
  TestEffect fx;
  fx.SetBlockFrames(4);
  fx.ConnectInputs(0, 2, true);
  fx.ConnectInputs(1, 1, false);
  double a[4] = {1, 2, 3, 4}, b[4] = {9, 9, 9, 9};
  double* host[2] = {a, b};
  fx.BindInputsDouble(0, 2, host);
  EXPECT_EQ(fx.InputPointers()[0], a);
  for (int s = 0; s < 4; ++s) EXPECT_EQ(fx.InputPointers()[1][s], 0.0);
  EXPECT_FALSE(fx.InputConnected(1));
  fx.ConnectInputs(5, 100, true);  // outside the channel list: ignored
  EXPECT_FALSE(fx.InputConnected(1));
}

TEST(ChannelBinding, DisconnectingClearsWhatTheChannelLastCarried) {
  TestEffect fx;
  fx.SetBlockFrames(4);
  fx.ConnectInputs(0, 2, true);
  float l[4] = {1, 1, 1, 1}, r[4] = {1, 1, 1, 1};
  float* host[2] = {l, r};
  fx.BindInputsSingle(0, 2, host, 4);
  EXPECT_EQ(fx.InputPointers()[1][2], 1.0);
  fx.ConnectInputs(1, 1, false);
  EXPECT_EQ(fx.InputPointers()[1][2], 0.0);
}

TEST(ChannelRunBlock, SinglePrecisionReplacingAndAdding) {
  Doubler fx;
  fx.SetBlockFrames(4);
  fx.ConnectInputs(0, 2, true);
  fx.ConnectOutputs(0, 2, true);
  float inL[4] = {0.25f, 0.5f, -1, 0}, inR[4] = {1, 2, 3, 4};
  float outL[4] = {7, 7, 7, 7}, outR[4] = {};
  float* in[2] = {inL, inR};
  float* out[2] = {outL, outR};
  fx.BindInputsSingle(0, 2, in, 4);
  fx.BindOutputsSingle(0, 2, out);
  fx.RunBlockReplacing(4);
  EXPECT_EQ(outL[0], 0.5f);
  EXPECT_EQ(outL[2], -2.0f);
  EXPECT_EQ(outR[3], 8.0f);
  fx.BindInputsSingle(0, 2, in, 4);
  fx.BindOutputsSingle(0, 2, out);
  fx.RunBlockAdding(4);
  fx.BindInputsSingle(0, 2, in, 4);
  fx.BindOutputsSingle(0, 2, out);
  fx.RunBlockAdding(4);
  EXPECT_EQ(outL[0], 1.5f);  // replaced once, added twice
  EXPECT_EQ(outR[3], 24.0f);
}

TEST(ChannelRunBlock, DoublePrecisionProcessesInTheHostBuffers) {
  Doubler fx;
  fx.SetBlockFrames(4);
  fx.ConnectInputs(0, 2, true);
  fx.ConnectOutputs(0, 2, true);
  double inL[3] = {1, 2, 3}, inR[3] = {4, 5, 6}, outL[3] = {}, outR[3] = {};
  double* in[2] = {inL, inR};
  double* out[2] = {outL, outR};
  fx.BindInputsDouble(0, 2, in);
  fx.BindOutputsDouble(0, 2, out);
  EXPECT_EQ(fx.OutputPointers()[1], outR);
  fx.RunBlockDouble(3);
  EXPECT_EQ(outL[2], 6.0);
  EXPECT_EQ(outR[0], 8.0);
}

// A host that ignores the announced block size must not make the plug-in
// write past its scratch buffers: the block is run in block-sized pieces.
TEST(ChannelRunBlock, OverlongBlocksRunInPieces) {
  Doubler fx;
  fx.SetBlockFrames(4);
  fx.ConnectInputs(0, 2, true);
  fx.ConnectOutputs(0, 2, true);
  const int n = 10;
  std::vector<float> inL(n), inR(n), outL(n, -1.0f), outR(n, -1.0f);
  for (int s = 0; s < n; ++s) inL[s] = static_cast<float>(s), inR[s] = static_cast<float>(-s);
  float* in[2] = {inL.data(), inR.data()};
  float* out[2] = {outL.data(), outR.data()};
  fx.BindInputsSingle(0, 2, in, n);
  fx.BindOutputsSingle(0, 2, out);
  fx.RunBlockReplacing(n);
  EXPECT_EQ(fx.blocks, (std::vector<int>{4, 4, 2}));
  for (int s = 0; s < n; ++s) {
    EXPECT_EQ(outL[s], 2.0f * s) << s;
    EXPECT_EQ(outR[s], -2.0f * s) << s;
  }
  // Same for double-precision hosts.
  std::vector<double> dL(n, 1.0), dR(n, 2.0), oL(n), oR(n);
  double* din[2] = {dL.data(), dR.data()};
  double* dout[2] = {oL.data(), oR.data()};
  fx.blocks.clear();
  fx.BindInputsDouble(0, 2, din);
  fx.BindOutputsDouble(0, 2, dout);
  fx.RunBlockDouble(n);
  EXPECT_EQ(fx.blocks, (std::vector<int>{4, 4, 2}));
  EXPECT_EQ(oL[9], 2.0);
  EXPECT_EQ(oR[9], 4.0);
}

TEST(ChannelRunBlock, PassThroughCopiesMatchingChannelsAndSilencesTheRest) {
  TestEffect fx(1, 1, "1-2");
  fx.SetBlockFrames(3);
  fx.ConnectInputs(0, 1, true);
  fx.ConnectOutputs(0, 2, true);
  double in[3] = {1, 2, 3}, outA[3] = {9, 9, 9}, outB[3] = {9, 9, 9};
  double* ins[1] = {in};
  double* outs[2] = {outA, outB};
  fx.BindInputsDouble(0, 1, ins);
  fx.BindOutputsDouble(0, 2, outs);
  fx.RunBlockDouble(3);
  EXPECT_EQ(outA[2], 3.0);
  EXPECT_EQ(outB[0], 0.0);
  float f[2] = {0.5f, 0.25f}, g[2] = {9, 9};
  float* fi[1] = {f};
  float* fo[2] = {f, g};
  fx.ProcessSingle(fi, fo, 2);  // in place on channel 0
  EXPECT_EQ(f[1], 0.25f);
  EXPECT_EQ(g[1], 0.0f);
}

TEST(ChannelRunBlock, NoBlockSizeYetGivesSilence) {
  Doubler fx;
  fx.ConnectOutputs(0, 2, true);
  float outL[4] = {1, 1, 1, 1}, outR[4] = {1, 1, 1, 1};
  float* out[2] = {outL, outR};
  fx.BindOutputsSingle(0, 2, out);
  fx.RunBlockReplacing(4);
  EXPECT_TRUE(fx.blocks.empty());
  EXPECT_EQ(outL[3], 0.0f);
}

TEST(ChannelRestrict, StereoRestrictionOnFourChannels) {
  TestEffect quad(1, 1, "4-4");
  quad.SetBlockFrames(8);
  quad.ConnectInputs(0, 4, true);
  quad.RestrictToStereo();
  EXPECT_TRUE(quad.InputConnected(1));
  EXPECT_FALSE(quad.InputConnected(2));
  EXPECT_FALSE(quad.InputConnected(3));
  EXPECT_FALSE(quad.OutputConnected(0));  // only the upper outputs are switched on
  EXPECT_TRUE(quad.OutputConnected(2));
  EXPECT_TRUE(quad.OutputConnected(3));
  TestEffect stereo;
  stereo.ConnectInputs(0, 2, true);
  stereo.RestrictToStereo();
  EXPECT_TRUE(stereo.InputConnected(0));
  EXPECT_TRUE(stereo.InputConnected(1));
  EXPECT_FALSE(stereo.OutputConnected(0));  // outputs untouched below three
}

}  // namespace
