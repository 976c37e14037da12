// The shared processing core: changes at frame offsets inside a block sound
// exactly as the same block cut at those frames, and the audio thread's
// runaway reset stays at the rate the engine runs at.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "effect/BrumeProcessor.h"
#include "effect/DefineParameters.h"
#include "effect/FactoryPresets.h"
#include "effect/Kestrel.h"
#include "tests/effect/KestrelTestHost.h"

namespace {

constexpr int kFrames = 8192;

// A processor at 48 kHz on a factory program, and a decaying noise burst.
struct Core {
  IParameterStore parameters{kParameterCount};
  BrumeProcessor processor{parameters};
  explicit Core(int program) {
    DefineParameters(parameters);
    double values[kParameterCount];
    FactoryPresetValues(program, values);
    parameters.SetAll(values);
    processor.Prepare(48000.0, 512);
  }
};

std::vector<float> Burst(uint32_t seed) {
  std::vector<float> signal(kFrames);
  for (int i = 0; i < kFrames; ++i) {
    seed = seed * 1664525u + 1013904223u;
    signal[static_cast<size_t>(i)] = static_cast<float>((seed >> 8) / 8388608.0 - 1.0) * std::exp(-i / 300.0f);
  }
  return signal;
}

struct Render {
  std::vector<float> left = std::vector<float>(kFrames), right = std::vector<float>(kFrames);
};

// Renders [from, to) of the burst as one host block, with the events
// already in the core's list.
void Block(Core& core, const std::vector<float>& in, Render& out, int from, int to) {
  const float* inputs[2] = {in.data() + from, in.data() + from};
  float* outputs[2] = {out.left.data() + from, out.right.data() + from};
  core.processor.Process(inputs, outputs, to - from, BrumeProcessor::Output::kReplace);
}

int FirstFactoryProgramNamed(const char* name) {
  for (int i = 0; i < kFactoryPresetCount; ++i)
    if (std::string(FactoryPresetAt(i).name) == name) return i;
  return -1;
}

}  // namespace

TEST(BrumeProcessorTimedChanges, ATempoChangeInsideABlockSoundsAsTheBlockCutThere) {
  const int program = FirstFactoryProgramNamed("Walking Delay");
  ASSERT_GE(program, 0);
  const std::vector<float> in = Burst(7);
  // Delays short enough that echoes come within the block.
  auto shortest = [](Core& core) {
    core.parameters.SetClamped(kDelayLengthQuarters1, 3);
    core.parameters.SetClamped(kDelayLengthQuarters2, 3);
    core.parameters.SetClamped(kDelayLengthFine1, 0.5);
    core.parameters.SetClamped(kDelayLengthFine2, 0.5);
  };
  Render steady;
  for (int cut : {1, 300, 2000, 5000}) {
    Core whole(program), split(program);
    shortest(whole);
    shortest(split);
    Render a, b;
    // Added out of order: the core orders them.
    whole.processor.Events().AddTempo(cut, 500.0);
    whole.processor.Events().AddTempo(0, 240.0);
    Block(whole, in, a, 0, kFrames);
    split.processor.Events().AddTempo(0, 240.0);
    Block(split, in, b, 0, cut);
    split.processor.Events().AddTempo(0, 500.0);
    Block(split, in, b, cut, kFrames);
    EXPECT_EQ(a.left, b.left) << "cut at " << cut;
    EXPECT_EQ(a.right, b.right) << "cut at " << cut;
    if (cut == 1) {
      Core same(program);
      shortest(same);
      same.processor.Events().AddTempo(0, 240.0);
      Block(same, in, steady, 0, kFrames);
      EXPECT_NE(a.left, steady.left);  // the new tempo is heard
    }
  }
}

TEST(BrumeProcessorTimedChanges, AParameterChangeInsideABlockSoundsAsTheBlockCutThere) {
  const int program = FirstFactoryProgramNamed("wawawah");
  ASSERT_GE(program, 0);
  const std::vector<float> in = Burst(11);
  Core whole(program), split(program), unchanged(program);
  Render a, b, c;
  whole.processor.Events().AddParameter(640, kFilterFreq1, 3000.0);
  Block(whole, in, a, 0, kFrames);
  Block(split, in, b, 0, 640);
  split.parameters.SetClamped(kFilterFreq1, 3000.0);
  Block(split, in, b, 640, kFrames);
  Block(unchanged, in, c, 0, kFrames);
  EXPECT_EQ(a.left, b.left);
  EXPECT_EQ(a.right, b.right);
  EXPECT_NE(a.left, c.left);  // the change is heard
}

// One rule for late events: stamped at or past the block's end, an event
// plays on the block's last frame (a change there sounds as the block cut
// one frame before its end); what does not fit the list is counted.
TEST(BrumeProcessorTimedChanges, LateEventsPlayOnTheLastFrameAndOverflowIsCounted) {
  const int program = FirstFactoryProgramNamed("wawawah");
  ASSERT_GE(program, 0);
  const std::vector<float> in = Burst(3);
  Core late(program), cut(program), plain(program);
  Render a, b, c;
  late.processor.Events().AddParameter(1 << 30, kGain, -12.0);
  Block(late, in, a, 0, 512);
  Block(late, in, a, 512, 2048);
  cut.processor.Events().AddParameter(511, kGain, -12.0);
  Block(cut, in, b, 0, 512);
  Block(cut, in, b, 512, 2048);
  Block(plain, in, c, 0, 2048);
  EXPECT_EQ(a.left, b.left);
  EXPECT_NE(a.left, c.left) << "the change is heard";

  const long before = late.processor.DroppedEvents();
  for (int i = 0; i < BrumeProcessor::kMaxBlockEvents + 5; ++i) late.processor.Events().AddParameter(i, kGain, -6.0);
  Block(late, in, a, 2048, 4096);
  EXPECT_EQ(late.processor.DroppedEvents() - before, 5);
}

// Garbage on one input channel is read as silence: the other channel's
// sound (and its modulation) goes on exactly as with a silent channel, with
// no reset of the engine at each block's end.
TEST(BrumeProcessorInput, NonFiniteSamplesOnOneChannelAreReadAsSilence) {
  const int program = FirstFactoryProgramNamed("wawawah");  // LFO-swept filters
  ASSERT_GE(program, 0);
  const std::vector<float> right = Burst(5);
  std::vector<float> garbage(kFrames, std::numeric_limits<float>::quiet_NaN()), zeros(kFrames, 0.0f);
  for (int i = 0; i < kFrames; i += 3) garbage[static_cast<size_t>(i)] = std::numeric_limits<float>::infinity();
  Core dirty(program), clean(program);
  Render a, b;
  for (int from = 0; from < kFrames; from += 512) {
    const float* in1[2] = {garbage.data() + from, right.data() + from};
    const float* in2[2] = {zeros.data() + from, right.data() + from};
    float* out1[2] = {a.left.data() + from, a.right.data() + from};
    float* out2[2] = {b.left.data() + from, b.right.data() + from};
    dirty.processor.Process(in1, out1, 512, BrumeProcessor::Output::kReplace);
    clean.processor.Process(in2, out2, 512, BrumeProcessor::Output::kReplace);
  }
  EXPECT_EQ(a.left, b.left);
  EXPECT_EQ(a.right, b.right);
  // Double buffers in place take the same path.
  Core inPlace(program);
  std::vector<double> l(garbage.begin(), garbage.end()), r(right.begin(), right.end());
  double* io[2] = {l.data(), r.data()};
  inPlace.processor.Process(io, io, kFrames);
  EXPECT_EQ(std::vector<float>(r.begin(), r.end()), b.right);
}

// The host stores a new rate, then (before it resets the plug-in under its
// processing lock) a block runs away: the reset on the audio thread keeps
// the engine's own rate and its delay lines.
TEST(BrumeProcessorRunaway, AnAudioThreadResetKeepsTheEnginesRate) {
  KestrelTestHost host(48000.0);
  AEffect* effect = host.effect().Effect();
  const int length = host.effect().SignalEngine().delayRight.length;
  host.effect().StoreSampleRate(96000.0);
  std::vector<float> nan(64, std::numeric_limits<float>::quiet_NaN()), l(64), r(64);
  float* in[2] = {nan.data(), nan.data()};
  float* out[2] = {l.data(), r.data()};
  effect->processReplacing(effect, in, out, 64);
  EXPECT_EQ(l[0], 0.0f);  // silenced
  EXPECT_EQ(host.effect().SignalEngine().SampleRate(), 48000.0);
  EXPECT_EQ(host.effect().SignalEngine().delayRight.length, length);
}
