// Audio through the bundle's library: the same samples as the VST 2.4
// plug-in for the same values, automation at its offsets whatever the block
// size, notes, the mod wheel, tempo, bypass and state.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <vector>

#include "effect/FactoryPresets.h"
#include "effect/Kestrel.h"
#include "effect/MatrixChoices.h"
#include "effect/ParameterTable.h"
#include "framework/IStateChunk.h"
#include "tests/Vst24Reference.h"
#include "tests/vst3/Vst3Host.h"
#include "vst3/BrumeVst3Processor.h"

namespace {

using namespace vst3_host;
using Values = std::vector<double>;

constexpr double kRate = 48000.0;
const int kSteadyBlocks[] = {256};

template <size_t N, typename Run>
void ForEachBlock(int frames, const int (&blocks)[N], Run run) {
  ::ForEachBlock(frames, blocks, static_cast<int>(N), run);
}

template <size_t N>
Stereo RenderVst2(const Values& values, const Stereo& in, const int (&blocks)[N]) {
  return RenderReference(values, in, blocks, static_cast<int>(N), kRate);
}

// What a block adds besides audio: changes, events, context, by the
// block's start frame and length.
using BlockExtras = std::function<void(int start, int frames, ParameterChanges&, EventList&, ProcessContext*&)>;

// The values arrive as the processor's state once processing runs, as the
// VST 2.4 render gets them after its start-up.
template <size_t N>
Stereo RenderVst3(const Values& values, const Stereo& in, const int (&blocks)[N], const BlockExtras& extras = {},
                  bool inPlace = false) {
  Module module(BRUME_VST3_PATH);
  Instance plugin(module.Factory());
  EXPECT_TRUE(plugin.Setup(kRate, 512));
  EXPECT_TRUE(plugin.SetState(ProgramChunk(values)));
  const int frames = static_cast<int>(in.left.size());
  Stereo out = inPlace ? in : Stereo{std::vector<float>(frames), std::vector<float>(frames)};
  ForEachBlock(frames, blocks, [&](int start, int n) {
    float* inputs[] = {const_cast<float*>(&(inPlace ? out : in).left[start]),
                       const_cast<float*>(&(inPlace ? out : in).right[start])};
    float* outputs[] = {&out.left[start], &out.right[start]};
    ParameterChanges changes;
    EventList events;
    ProcessContext* context = nullptr;
    if (extras) extras(start, n, changes, events, context);
    plugin.Process(inputs, outputs, n, &changes, &events, context);
  });
  return out;
}

TEST(Vst3Render, SameSamplesAsTheVst24PluginForStartUpValuesAndEveryFactoryProgram) {
  const Stereo in = TestInput(static_cast<int>(kRate));
  std::vector<Values> all = {StartUpValues<double>()};
  for (int p = 0; p < kFactoryPresetCount; ++p) all.push_back(ProgramValues<double>(p));
  for (size_t k = 0; k < all.size(); ++k) {
    const char* what = k == 0 ? "start-up values" : FactoryPresetAt(static_cast<int>(k - 1)).name;
    const Stereo vst2 = RenderVst2(all[k], in, kOddBlocks);
    EXPECT_TRUE(RenderVst3(all[k], in, kOddBlocks) == vst2) << what << ", mixed blocks";
    EXPECT_TRUE(RenderVst3(all[k], in, kSteadyBlocks, {}, /*inPlace*/ true) == vst2) << what << ", 256, in place";
    EXPECT_NE(vst2.left, in.left) << what;
  }
}

TEST(Vst3Render, DoubleBlocksMatchTheVst24PluginsDoubleProcessing) {
  const Values values = ProgramValues<double>(11);
  const int frames = 20000;
  const Stereo in = TestInput(frames);
  std::vector<double> l2(in.left.begin(), in.left.end()), r2 = std::vector<double>(in.right.begin(), in.right.end());
  std::vector<double> l3 = l2, r3 = r2, o2l(frames), o2r(frames);
  Kestrel effect(&ReferenceHost, nullptr);
  StartReference(effect, values, kRate);
  AEffect* e = effect.Effect();
  Module module(BRUME_VST3_PATH);
  Instance plugin(module.Factory());
  ASSERT_TRUE(plugin.Setup(kRate, 512, kSample64));
  ASSERT_TRUE(plugin.SetState(ProgramChunk(values)));
  ForEachBlock(frames, kOddBlocks, [&](int start, int n) {
    double* in2[] = {&l2[start], &r2[start]};
    double* out2[] = {&o2l[start], &o2r[start]};
    e->processDoubleReplacing(e, in2, out2, n);
    double* io3[] = {&l3[start], &r3[start]};
    plugin.ProcessDouble(io3, io3, n);
  });
  EXPECT_TRUE(l3 == o2l && r3 == o2r);
}

// A gain ramp as automation points every 50 frames: the same samples
// whether a block holds many points or a point starts every block.
TEST(Vst3Render, AutomationActsAtItsOffsetWhateverTheBlockSize) {
  const Values values = ProgramValues<double>(2);
  const Stereo in = TestInput(12000);
  const BlockExtras ramp = [](int start, int frames, ParameterChanges& changes, EventList&, ProcessContext*&) {
    for (int t = (start + 49) / 50 * 50; t < start + frames; t += 50) {
      changes.Add(kGain, t - start, 0.3 + 0.5 * t / 12000.0);
      changes.Add(kDryWetMix, t - start, 1.0 - 0.6 * t / 12000.0);
    }
  };
  const int fifties[] = {50}, odd[] = {7, 301, 1111, 64};
  const Stereo a = RenderVst3(values, in, kOddBlocks, ramp);
  EXPECT_TRUE(RenderVst3(values, in, fifties, ramp) == a);
  EXPECT_TRUE(RenderVst3(values, in, odd, ramp) == a);
  EXPECT_FALSE(RenderVst3(values, in, kOddBlocks) == a) << "the automation changed nothing";

  // A program and a value at one offset: the value wins. Once the program's
  // fade and the plain change's mix ramp are over, both sound alike.
  const auto withProgram = [&](bool program) {
    return [=](int start, int frames, ParameterChanges& changes, EventList&, ProcessContext*&) {
      if (start > 6000 || 6000 >= start + frames) return;
      if (program) changes.Add(brume_vst3::kProgramId, 6000 - start, 2.0 / (kFactoryPresetCount - 1));
      changes.Add(kDryWetMix, 6000 - start, 0.4);
    };
  };
  const Stereo programmed = RenderVst3(values, in, odd, withProgram(true));
  const Stereo plain = RenderVst3(values, in, odd, withProgram(false));
  const int settled = 6000 + std::max(static_cast<int>(Engine::kMixRampSeconds * kRate),
                                      2 * static_cast<int>(BrumeProcessor::kFadeSeconds * kRate)) + 1;
  EXPECT_TRUE(std::equal(programmed.left.begin(), programmed.left.begin() + 6000, plain.left.begin()));
  EXPECT_TRUE(std::equal(programmed.left.begin() + settled, programmed.left.end(), plain.left.begin() + settled));
  EXPECT_TRUE(std::equal(programmed.right.begin() + settled, programmed.right.end(), plain.right.begin() + settled));
}

TEST(Vst3Render, NotesFromTheEventBusAndTheMappedModWheelActAtTheirOffsets) {
  const Stereo in{std::vector<float>(3000, 0.25f), std::vector<float>(3000, 0.25f)};
  const int at = 1234;  // inside the second 1000-frame block
  const int blocks[] = {1000};
  // The note comes with a later mod wheel point, which reaches the plug-in
  // first (queues are read before events) and must not hold the note back.
  const BlockExtras note = [&](int start, int frames, ParameterChanges& changes, EventList& events,
                               ProcessContext*&) {
    if (at >= start && at < start + frames) {
      changes.Add(brume_vst3::kModWheelId, at - start + 300, 0.5);
      events.Note(true, at - start, 60, 0.8f);
    }
  };
  const BlockExtras wheel = [&](int start, int frames, ParameterChanges& changes, EventList&, ProcessContext*&) {
    if (at >= start && at < start + frames) changes.Add(brume_vst3::kModWheelId, at - start, 1.0);
  };
  for (auto [source, extras] : {std::pair{int(ModSource::MidiGate), note}, std::pair{int(ModSource::ModWheel), wheel}}) {
    const Stereo plain = RenderVst3(GatedBy(source), in, blocks);
    const Stereo moved = RenderVst3(GatedBy(source), in, blocks, extras);
    const int first = FirstDifference(plain, moved);
    EXPECT_GE(first, at) << source;
    EXPECT_LE(first, at + 2) << source;
  }
  // A note stamped far past its block's end plays at the block's last frame.
  const BlockExtras late = [](int start, int, ParameterChanges&, EventList& events, ProcessContext*&) {
    if (start == 1000) events.Note(true, 100000, 60, 0.8f);
  };
  const int first = FirstDifference(RenderVst3(GatedBy(ModSource::MidiGate), in, blocks),
                                    RenderVst3(GatedBy(ModSource::MidiGate), in, blocks, late));
  EXPECT_GE(first, 1999);
  EXPECT_LE(first, 2001);
}

// A block with more changes than it passes on: the value of one past the
// limit reaches the engine at the next block's start, as if sent there.
TEST(Vst3Render, ChangesPastTheBlockLimitReachTheEngineFromTheNextBlock) {
  const Stereo in = TestInput(1536);
  const int blocks[] = {512};
  const auto with = [](int gainBlock) {
    return [gainBlock](int start, int, ParameterChanges& changes, EventList&, ProcessContext*&) {
      if (start == 512)  // the matrix page: a parameter the engine ignores
        for (int k = 0; k < BrumeProcessor::kMaxBlockEvents; ++k) changes.Add(kMatrixTab, 0, 1.0);
      if (start == gainBlock * 512) changes.Add(kGain, 0, 0.1);
    };
  };
  const Values values = ProgramValues<double>(2);
  const Stereo dropped = RenderVst3(values, in, blocks, with(1));
  EXPECT_TRUE(dropped == RenderVst3(values, in, blocks, with(2)));
  EXPECT_FALSE(dropped == RenderVst3(values, in, blocks, with(-1))) << "the gain changed nothing";
}

// In 1 through Delay 1 (one quarter) to Out 1, all wet: only the echo,
// whose time follows the tempo of the process context (120 without one).
TEST(Vst3Render, TempoComesFromTheProcessContext) {
  Values values = StartUpValues<double>();
  values[AudioInIndex(1)] = AudioSource::In1, values[AudioOutIndex(1)] = AudioDestination::Delay1;
  values[AudioAmountIndex(1)] = 100;
  values[AudioInIndex(2)] = AudioSource::Delay1, values[AudioOutIndex(2)] = AudioDestination::Out1;
  values[AudioAmountIndex(2)] = 100;
  values[kDelayLengthQuarters1] = 1;
  values[kDryWetMix] = 100;
  const Stereo in = TestInput(40000);
  auto withContext = [](double tempo, vst3::uint32 state) {
    return BlockExtras([tempo, state](int, int, ParameterChanges&, EventList&, ProcessContext*& context) {
      static ProcessContext shared;
      shared = ProcessContext{};
      shared.state = state;
      shared.tempo = tempo;
      context = &shared;
    });
  };
  const auto firstSound = [](const Stereo& s) {
    return static_cast<double>(std::find_if(s.left.begin(), s.left.end(), [](float x) { return x != 0.0f; }) -
                               s.left.begin());
  };
  const Stereo none = RenderVst3(values, in, kOddBlocks);
  const Stereo at80 = RenderVst3(values, in, kOddBlocks, withContext(80.0, ProcessContext::kTempoValid));
  ASSERT_GT(firstSound(none), 1000.0);
  EXPECT_NEAR(firstSound(at80) / firstSound(none), 1.5, 0.05);
  EXPECT_TRUE(RenderVst3(values, in, kOddBlocks, withContext(80.0, 0)) == none) << "a tempo not marked valid";
  EXPECT_TRUE(RenderVst3(values, in, kOddBlocks, withContext(120.0, ProcessContext::kTempoValid)) == none);
}

TEST(Vst3Render, BypassCrossfadesToTheInputFromItsOffset) {
  const Stereo in = TestInput(5000);
  const BlockExtras bypass = [](int, int, ParameterChanges& changes, EventList&, ProcessContext*&) {
    changes.Add(brume_vst3::kBypassId, 0, 1.0);
  };
  EXPECT_TRUE(RenderVst3(ProgramValues<double>(7), in, kOddBlocks, bypass) == in);
  EXPECT_TRUE(RenderVst3(ProgramValues<double>(7), in, kOddBlocks, bypass, /*inPlace*/ true) == in);

  // Switched on inside a block: processed up to that frame, the input once
  // the crossfade from there is over.
  const int at = 2345;
  const BlockExtras later = [&](int start, int frames, ParameterChanges& changes, EventList&, ProcessContext*&) {
    if (at >= start && at < start + frames) changes.Add(brume_vst3::kBypassId, at - start, 1.0);
  };
  const int blocks[] = {1000};
  const Stereo processed = RenderVst3(ProgramValues<double>(7), in, blocks);
  const Stereo switched = RenderVst3(ProgramValues<double>(7), in, blocks, later);
  const int faded = at + static_cast<int>(BrumeProcessor::kFadeSeconds * kRate);
  EXPECT_TRUE(std::equal(switched.left.begin(), switched.left.begin() + at, processed.left.begin()));
  EXPECT_TRUE(std::equal(switched.left.begin() + faded, switched.left.end(), in.left.begin() + faded));
  EXPECT_TRUE(std::equal(switched.right.begin() + faded, switched.right.end(), in.right.begin() + faded));
  EXPECT_NE(switched.left[at + 10], in.left[at + 10]) << "mid-fade";
  EXPECT_NE(switched.left[at + 10], processed.left[at + 10]) << "mid-fade";
}

// A note off that comes while bypassed still reaches the modulators: once
// the bypass and its fade are over, the output is what it would be with no
// bypass at all (the gate the note opened is closed).
TEST(Vst3Render, ANoteOffWhileBypassedClosesTheGate) {
  const Stereo in{std::vector<float>(4000, 0.25f), std::vector<float>(4000, 0.25f)};
  const int blocks[] = {1000};
  const auto notes = [](bool bypass) {
    return [bypass](int start, int, ParameterChanges& changes, EventList& events, ProcessContext*&) {
      if (start == 0) events.Note(true, 100, 60, 0.8f);
      if (start == 1000) events.Note(false, 500, 60, 0.0f);
      if (bypass && start == 1000) changes.Add(brume_vst3::kBypassId, 0, 1.0);
      if (bypass && start == 2000) changes.Add(brume_vst3::kBypassId, 0, 0.0);
    };
  };
  const Stereo bypassed = RenderVst3(GatedBy(ModSource::MidiGate), in, blocks, notes(true));
  const Stereo plain = RenderVst3(GatedBy(ModSource::MidiGate), in, blocks, notes(false));
  const int faded = 2000 + static_cast<int>(BrumeProcessor::kFadeSeconds * kRate) + 1;
  const Stereo noNote = RenderVst3(GatedBy(ModSource::MidiGate), in, blocks);
  ASSERT_NE(plain.left[1000], noNote.left[1000]) << "the note opened the gate";
  EXPECT_EQ(plain.left[3999], noNote.left[3999]) << "the note off closed it";
  EXPECT_TRUE(std::equal(bypassed.left.begin() + faded, bypassed.left.end(), plain.left.begin() + faded));
}

// The state is the VST 2.4 program chunk, byte for byte, then the bypass;
// a program selected through the program parameter is what the state then
// holds, and bypass survives a save and reopen (states from before the
// bypass field load with bypass off).
TEST(Vst3Render, StateIsTheVst24ProgramChunkAndProgramChangesReachIt) {
  Kestrel effect(&ReferenceHost, nullptr);
  AEffect* e = effect.Effect();
  const int program = 9;
  e->dispatcher(e, effSetProgram, 0, program, nullptr, 0.0f);
  void* data = nullptr;
  const VstIntPtr size = e->dispatcher(e, effGetChunk, 1, 0, &data, 0.0f);
  ASSERT_GT(size, 0);
  const std::vector<uint8_t> vst2(static_cast<uint8_t*>(data), static_cast<uint8_t*>(data) + size);

  Module module(BRUME_VST3_PATH);
  Instance plugin(module.Factory());
  ASSERT_TRUE(plugin.Setup(kRate, 256));
  ParameterChanges changes;
  changes.Add(brume_vst3::kProgramId, 10, program / 19.0);
  std::vector<float> silence(64);
  float* io[] = {silence.data(), silence.data()};
  plugin.Process(io, io, 64, &changes);
  EXPECT_EQ(plugin.State(), StateWithBypass(vst2, false));

  // Restored into a new instance: the same state, the same controller values.
  Instance copy(module.Factory());
  ASSERT_TRUE(copy.SetState(vst2));
  EXPECT_EQ(copy.State(), StateWithBypass(vst2, false));
  for (int i = 0; i < kParameterCount; ++i)
    EXPECT_EQ(copy.controller->getParamNormalized(i), effect.Parameter(i)->Normalised()) << i;
  EXPECT_EQ(copy.controller->getParamNormalized(brume_vst3::kBypassId), 0.0);

  // Bypassed, saved, reopened: bypassed again, and the output is the input.
  ParameterChanges bypass;
  bypass.Add(brume_vst3::kBypassId, 0, 1.0);
  plugin.Process(io, io, 64, &bypass);
  const std::vector<uint8_t> saved = plugin.State();
  EXPECT_EQ(saved, StateWithBypass(vst2, true));
  Instance reopened(module.Factory());
  ASSERT_TRUE(reopened.Setup(kRate, 256));
  ASSERT_TRUE(reopened.SetState(saved));
  EXPECT_EQ(reopened.controller->getParamNormalized(brume_vst3::kBypassId), 1.0);
  std::vector<float> in = TestInput(64).left, out(64);
  float* ins[] = {in.data(), in.data()};
  float* outs[] = {out.data(), out.data()};
  reopened.Process(ins, outs, 64);
  EXPECT_EQ(out, in);
  EXPECT_EQ(reopened.State(), saved);
}

}  // namespace
