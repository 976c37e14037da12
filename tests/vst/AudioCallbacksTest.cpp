// The three audio callbacks and the two parameter callbacks.
#include <cmath>

#include "tests/vst/BindingFixture.h"

namespace {

// Two host channels of n samples each, in either precision.
template <typename T>
struct HostBuffers {
  HostBuffers(int frames, T inValue, T outValue)
      : in{std::vector<T>(frames, inValue), std::vector<T>(frames, inValue)},
        out{std::vector<T>(frames, outValue), std::vector<T>(frames, outValue)} {}
  T** Inputs() { return inPointers; }
  T** Outputs() { return outPointers; }
  std::vector<T> in[2], out[2];
  T* inPointers[2] = {in[0].data(), in[1].data()};
  T* outPointers[2] = {out[0].data(), out[1].data()};
};

}  // namespace

TEST_F(BindingTest, AccumulatingAddsAndReplacingReplaces) {
  Make();
  HostBuffers<float> adding(64, 0.1f, 0.25f), replacing(64, 0.1f, 0.25f);
  HostBuffers<double> twice(64, 0.1, 0.25);
  effect->process(effect, adding.Inputs(), adding.Outputs(), 64);
  effect->processReplacing(effect, replacing.Inputs(), replacing.Outputs(), 64);
  effect->processDoubleReplacing(effect, twice.Inputs(), twice.Outputs(), 64);
  for (int c = 0; c < 2; ++c)
    for (int i = 0; i < 64; ++i) {
      ASSERT_EQ(adding.out[c][i], 0.75f);
      ASSERT_EQ(replacing.out[c][i], 0.5f);
      ASSERT_EQ(twice.out[c][i], 0.5);
    }
  EXPECT_EQ(plugin->processedFrames, (std::vector<int>{64, 64, 64}));
}

TEST_F(BindingTest, InputsReachTheEffectInEveryPrecision) {
  Make();
  plugin->passThrough = true;
  HostBuffers<float> single(16, 0.125f, 0.0f);
  HostBuffers<double> twice(16, 0.375, 0.0);
  single.in[1].assign(16, -0.25f);
  effect->processReplacing(effect, single.Inputs(), single.Outputs(), 16);
  effect->processDoubleReplacing(effect, twice.Inputs(), twice.Outputs(), 16);
  EXPECT_EQ(single.out[0][15], 0.25f);
  EXPECT_EQ(single.out[1][15], -0.5f);
  EXPECT_EQ(twice.out[1][0], 0.75);
}

TEST_F(BindingTest, ZeroFramesStillRunsTheEffectWithZeroFrames) {
  Make();
  HostBuffers<double> buffers(1, 0.0, 0.25);
  effect->processDoubleReplacing(effect, buffers.Inputs(), buffers.Outputs(), 0);
  EXPECT_EQ(plugin->processedFrames, (std::vector<int>{0}));
  EXPECT_EQ(buffers.out[0][0], 0.25);
  // An empty block needs no buffers; hosts that pass none still get one
  // effect run (and one tempo request) per callback.
  effect->processDoubleReplacing(effect, nullptr, nullptr, 0);
  effect->processReplacing(effect, nullptr, nullptr, 0);
  effect->process(effect, nullptr, nullptr, 0);
  EXPECT_EQ(plugin->processedFrames, (std::vector<int>{0, 0, 0, 0}));
  EXPECT_EQ(host.Count(audioMasterGetTime), 4);
}

TEST_F(BindingTest, EachBlockAsksForMidiAndForTheTempoOnce) {
  Make();
  HostBuffers<float> buffers(32, 0.0f, 0.0f);
  effect->processReplacing(effect, buffers.Inputs(), buffers.Outputs(), 32);
  effect->process(effect, buffers.Inputs(), buffers.Outputs(), 32);
  EXPECT_EQ(host.Count(audioMasterWantMidi), 2);
  const auto times = host.CallsOf(audioMasterGetTime);
  ASSERT_EQ(times.size(), 2u);
  EXPECT_EQ(times[0].value, kVstTempoValid);
  EXPECT_EQ(plugin->tempoSeen, 120.0);
}

TEST_F(BindingTest, AnEffectWithoutMidiDoesNotAskForIt) {
  TestEffectOptions options;
  options.doesMidi = false;
  Make(options);
  HostBuffers<double> buffers(8, 0.0, 0.0);
  effect->processDoubleReplacing(effect, buffers.Inputs(), buffers.Outputs(), 8);
  EXPECT_EQ(host.Count(audioMasterWantMidi), 0);
}

TEST_F(BindingTest, BlocksLongerThanTheAnnouncedSizeAreProcessedWhole) {
  Make();
  Dispatch(effSetBlockSize, 0, 64);
  plugin->passThrough = true;
  HostBuffers<float> single(200, 0.0f, 9.0f);
  HostBuffers<double> twice(200, 0.0, 9.0);
  for (int i = 0; i < 200; ++i) {
    single.in[0][i] = single.in[1][i] = static_cast<float>(i) / 256.0f;
    twice.in[0][i] = twice.in[1][i] = i / 256.0;
  }
  effect->processReplacing(effect, single.Inputs(), single.Outputs(), 200);
  effect->processDoubleReplacing(effect, twice.Inputs(), twice.Outputs(), 200);
  for (int i = 0; i < 200; ++i) {
    ASSERT_EQ(single.out[1][i], 2.0f * single.in[1][i]) << i;
    ASSERT_EQ(twice.out[0][i], 2.0 * twice.in[0][i]) << i;
  }
  for (int frames : plugin->processedFrames) EXPECT_LE(frames, 64);
}

TEST_F(BindingTest, MissingHostBuffersProcessNothing) {
  Make();
  HostBuffers<float> buffers(8, 0.0f, 0.25f);
  float* oneMissing[2] = {buffers.out[0].data(), nullptr};
  effect->processReplacing(effect, nullptr, buffers.Outputs(), 8);
  effect->processReplacing(effect, buffers.Inputs(), nullptr, 8);
  effect->processReplacing(effect, buffers.Inputs(), oneMissing, 8);
  effect->processDoubleReplacing(effect, nullptr, nullptr, 8);
  effect->process(effect, buffers.Inputs(), oneMissing, 8);
  EXPECT_TRUE(plugin->processedFrames.empty());
  EXPECT_EQ(buffers.out[0][0], 0.25f);
}

TEST_F(BindingTest, NegativeFrameCountsProcessNothingAtAll) {
  Make();
  HostBuffers<float> buffers(8, 0.0f, 0.25f);
  effect->processReplacing(effect, buffers.Inputs(), buffers.Outputs(), -8);
  EXPECT_EQ(buffers.out[0][0], 0.25f);
  EXPECT_TRUE(plugin->processedFrames.empty());
  EXPECT_EQ(host.Count(audioMasterWantMidi), 0);
}

TEST_F(BindingTest, ADisconnectedInputTakesNoHostBuffer) {
  Make();
  VstSpeakerArrangement mono{};
  mono.numChannels = 1;
  Dispatch(effSetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&mono), nullptr);
  plugin->passThrough = true;
  HostBuffers<float> buffers(8, 0.5f, 0.0f);
  float* onlyOne[1] = {buffers.in[0].data()};
  effect->processReplacing(effect, onlyOne, buffers.Outputs(), 8);
  EXPECT_EQ(buffers.out[0][0], 1.0f);
  EXPECT_EQ(buffers.out[1][0], 0.0f) << "channel 1 reads zeros";
}

TEST_F(BindingTest, NonFiniteOutputLeavesAsSilenceAndResetsTheEngine) {
  Make();
  plugin->constantOutput = std::nan("");
  HostBuffers<float> single(8, 0.0f, 0.25f), adding(8, 0.0f, 0.25f);
  HostBuffers<double> twice(8, 0.0, 0.25);
  effect->processReplacing(effect, single.Inputs(), single.Outputs(), 8);
  EXPECT_EQ(plugin->clears, 1);
  plugin->constantOutput = INFINITY;
  effect->processDoubleReplacing(effect, twice.Inputs(), twice.Outputs(), 8);
  effect->process(effect, adding.Inputs(), adding.Outputs(), 8);
  EXPECT_EQ(plugin->clears, 3);
  for (int c = 0; c < 2; ++c)
    for (int i = 0; i < 8; ++i) {
      ASSERT_EQ(single.out[c][i], 0.0f);
      ASSERT_EQ(twice.out[c][i], 0.0);
      ASSERT_EQ(adding.out[c][i], 0.0f);
    }
  plugin->constantOutput = 1e30;  // finite output passes unchanged
  effect->processDoubleReplacing(effect, twice.Inputs(), twice.Outputs(), 8);
  EXPECT_EQ(twice.out[1][7], 1e30);
  EXPECT_EQ(plugin->clears, 3);
}

#if defined(__x86_64__) || defined(_M_X64)
TEST_F(BindingTest, DenormalsAreFlushedDuringTheCallbackAndTheModeRestoredAfter) {
  Make();
  const unsigned before = _mm_getcsr();
  _mm_setcsr(before & ~0x8040u);
  HostBuffers<float> single(4, 0.0f, 0.0f);
  HostBuffers<double> twice(4, 0.0, 0.0);
  effect->processReplacing(effect, single.Inputs(), single.Outputs(), 4);
  EXPECT_EQ(plugin->mxcsrSeen & 0x8040u, 0x8040u);
  EXPECT_EQ(_mm_getcsr() & 0x8040u, 0u);
  plugin->mxcsrSeen = 0;
  effect->processDoubleReplacing(effect, twice.Inputs(), twice.Outputs(), 4);
  effect->process(effect, single.Inputs(), single.Outputs(), 4);
  EXPECT_EQ(plugin->mxcsrSeen & 0x8040u, 0x8040u);
  EXPECT_EQ(_mm_getcsr() & 0x8040u, 0u);
  _mm_setcsr(before);
}
#endif

// ---- Parameter callbacks ----------------------------------------------------------------

TEST_F(BindingTest, ParametersRoundTripThroughTheirNormalisedForm) {
  Make();
  effect->setParameter(effect, kTestMix, 0.37f);
  EXPECT_FLOAT_EQ(effect->getParameter(effect, kTestMix), 0.37f);
  EXPECT_NEAR(Value(kTestMix), 37.0, 1e-4);
  effect->setParameter(effect, kTestMode, 0.4f);  // 0.8 of two steps rounds to 1
  EXPECT_EQ(Value(kTestMode), 1.0);
  EXPECT_EQ(effect->getParameter(effect, kTestMode), 0.5f);
  EXPECT_EQ(plugin->Applied(), (std::vector<int>{kTestMode, kTestMix}));  // at the next block, index order
  EXPECT_EQ(host.Count(audioMasterAutomate), 0) << "the host is not told of its own change";
}

TEST_F(BindingTest, InvalidIndexesAndNaNChangeNothing) {
  Make();
  EXPECT_EQ(effect->getParameter(effect, -1), 0.0f);
  EXPECT_EQ(effect->getParameter(effect, 4), 0.0f);
  effect->setParameter(effect, -1, 1.0f);
  effect->setParameter(effect, 4, 1.0f);
  effect->setParameter(effect, kTestMix, std::nanf(""));
  EXPECT_TRUE(plugin->Applied().empty());
  EXPECT_EQ(Value(kTestMix), 50.0);
  EXPECT_FALSE(plugin->EditedSinceLoad());
}

TEST_F(BindingTest, HostChangesReachTheEditorOnItsTick) {
  Make();
  auto* view = new TestEditorView(1, 1);
  plugin->AttachEditor(view);
  view->pushes.clear();
  plugin->EditorChanges();
  effect->setParameter(effect, kTestGain, 1.0f);
  EXPECT_TRUE(view->pushes.empty()) << "nothing reaches the editor from the host's thread";
  EXPECT_EQ(plugin->EditorChanges(), (std::vector<std::pair<int, double>>{{kTestGain, 10.0}}));
  EXPECT_EQ(Value(kTestGain), 10.0);
}
