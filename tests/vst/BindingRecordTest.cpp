// The effect record, construction of the binding, the entry steps and the
// editor attachment.
#include <atomic>
#include <chrono>
#include <cstring>
#include <new>
#include <thread>

#include "tests/vst/BindingFixture.h"
#include "vst/PluginFactory.h"

TEST_F(BindingTest, RecordHoldsTheCountsIdsCallbacksAndFixedFields) {
  Make();
  EXPECT_EQ(effect->magic, 0x56737450);
  EXPECT_EQ(effect->numParams, 4);
  EXPECT_EQ(effect->numPrograms, 8);
  EXPECT_EQ(effect->numInputs, 2);
  EXPECT_EQ(effect->numOutputs, 2);
  EXPECT_EQ(effect->flags, 0x1018);
  EXPECT_EQ(effect->initialDelay, 0);
  EXPECT_EQ(effect->ioRatio, 1.0f);
  EXPECT_EQ(effect->object, static_cast<void*>(plugin));
  EXPECT_EQ(effect->user, nullptr);
  EXPECT_EQ(effect->uniqueID, 0x6D706541);
  EXPECT_EQ(effect->version, 10203);  // 1.2.3 in decimal form
  EXPECT_EQ(effect->resvd1, 0);
  EXPECT_EQ(effect->resvd2, 0);
  EXPECT_EQ(effect->realQualities, 0);
  EXPECT_EQ(effect->offQualities, 0);
  EXPECT_NE(effect->dispatcher, nullptr);
  EXPECT_NE(effect->process, nullptr);
  EXPECT_NE(effect->processReplacing, nullptr);
  EXPECT_NE(effect->processDoubleReplacing, nullptr);
  EXPECT_NE(effect->setParameter, nullptr);
  EXPECT_NE(effect->getParameter, nullptr);
  for (char byte : effect->future) EXPECT_EQ(byte, 0);
  EXPECT_EQ(IVstBinding::FromEffect(effect), plugin);
  EXPECT_EQ(IVstBinding::FromEffect(nullptr), nullptr);
}

TEST_F(BindingTest, ConstructionConnectsEveryChannelWithBlocksOf1024AndMakesNoHostRequest) {
  Make();
  EXPECT_TRUE(plugin->InputConnected(0));
  EXPECT_TRUE(plugin->InputConnected(1));
  EXPECT_TRUE(plugin->OutputConnected(0));
  EXPECT_TRUE(plugin->OutputConnected(1));
  EXPECT_EQ(plugin->BlockFrames(), 1024);
  EXPECT_TRUE(host.Calls().empty());
}

struct FlagCase {
  const char* channels;
  bool chunks;
  bool instrument;
  VstInt32 flags;
};

class BindingFlagsTest : public BindingTest, public ::testing::WithParamInterface<FlagCase> {};

TEST_P(BindingFlagsTest, FlagsFollowChannelsChunksAndInstrument) {
  TestEffectOptions options;
  options.channels = GetParam().channels;
  options.chunks = GetParam().chunks;
  options.instrument = GetParam().instrument;
  Make(options);
  EXPECT_EQ(effect->flags, GetParam().flags);
}

INSTANTIATE_TEST_SUITE_P(Table, BindingFlagsTest,
                         ::testing::Values(FlagCase{"1-1 2-2", false, false, 0x1018},
                                           FlagCase{"2-2", false, false, 0x1010},
                                           FlagCase{"2-2", true, false, 0x1030},
                                           FlagCase{"1-1 2-2", true, false, 0x1038},
                                           FlagCase{"1-2", false, true, 0x1118},
                                           FlagCase{"2-2", true, true, 0x1130}));

struct ArrangementCase {
  const char* channels;
  VstInt32 inputType, inputs, outputType, outputs;
};

class BindingArrangementTest : public BindingTest, public ::testing::WithParamInterface<ArrangementCase> {};

TEST_P(BindingArrangementTest, ArrangementTypeFollowsTheChannelCount) {
  TestEffectOptions options;
  options.channels = GetParam().channels;
  Make(options);
  EXPECT_EQ(plugin->InputArrangement().type, GetParam().inputType);
  EXPECT_EQ(plugin->InputArrangement().numChannels, GetParam().inputs);
  EXPECT_EQ(plugin->OutputArrangement().type, GetParam().outputType);
  EXPECT_EQ(plugin->OutputArrangement().numChannels, GetParam().outputs);
  EXPECT_EQ(effect->numInputs, GetParam().inputs);
  EXPECT_EQ(effect->numOutputs, GetParam().outputs);
}

INSTANTIATE_TEST_SUITE_P(Table, BindingArrangementTest,
                         ::testing::Values(ArrangementCase{"1-1 2-2", 1, 2, 1, 2}, ArrangementCase{"1-1", 0, 1, 0, 1},
                                           ArrangementCase{"0-2", -1, 0, 1, 2},
                                           ArrangementCase{"4-4 2-2", -2, 4, -2, 4}));

TEST_F(BindingTest, LatencyGoesIntoTheRecordWithoutTellingTheHost) {
  TestEffectOptions options;
  options.latency = 64;
  Make(options);
  EXPECT_EQ(effect->initialDelay, 64);
  plugin->SetLatencyFrames(128);
  EXPECT_EQ(effect->initialDelay, 128);
  EXPECT_EQ(plugin->Latency(), 128);
  EXPECT_TRUE(host.Calls().empty());
}

// ---- Entry steps ----------------------------------------------------------------

namespace {

IVstBinding* MakeNoPresets(audioMasterCallback host) {
  TestEffectOptions options;
  options.presets = 0;
  return new BindingTestEffect(host, options);
}

IVstBinding* MakeTwoNamedPresets(audioMasterCallback host) {
  auto* plugin = new BindingTestEffect(host);
  plugin->MakePresetFromNamedParams("first", {{kTestGain, -6.0}});
  plugin->MakePresetFromNamedParams("second", {{kTestGain, -12.0}});
  return plugin;
}

IVstBinding* MakeNothing(audioMasterCallback) { return nullptr; }

IVstBinding* MakeThrowing(audioMasterCallback) { throw std::bad_alloc(); }

void Close(AEffect* effect) { effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f); }

}  // namespace

TEST(PluginFactory, AnEffectWithoutPresetsStillReportsOneProgram) {
  RecordingHost host;
  AEffect* effect = CreatePluginInstance(&MakeNoPresets, &RecordingHost::Callback);
  ASSERT_NE(effect, nullptr);
  EXPECT_EQ(effect->numPrograms, 1);
  Close(effect);
}

TEST(PluginFactory, SlotsLeftUnusedByTheEffectAreFilledAsEmpty) {
  RecordingHost host;
  AEffect* effect = CreatePluginInstance(&MakeTwoNamedPresets, &RecordingHost::Callback);
  ASSERT_NE(effect, nullptr);
  auto* plugin = IVstBinding::FromEffect(effect);
  EXPECT_STREQ(plugin->PresetName(0), "first");
  EXPECT_STREQ(plugin->PresetName(1), "second");
  for (int i = 2; i < plugin->PresetCount(); ++i) {
    EXPECT_STREQ(plugin->PresetName(i), "Empty") << i;
    EXPECT_TRUE(plugin->Preset(i)->initialised) << i;
    EXPECT_EQ(plugin->Preset(i)->values.Size(), 4 * 8) << i;
  }
  EXPECT_TRUE(host.Calls().empty()) << "the entry asks the host nothing";
  Close(effect);
}

TEST(PluginFactory, AConstructionThatFailsOrThrowsGivesNull) {
  EXPECT_EQ(CreatePluginInstance(&MakeNothing, &RecordingHost::Callback), nullptr);
  EXPECT_EQ(CreatePluginInstance(&MakeThrowing, &RecordingHost::Callback), nullptr);
  EXPECT_EQ(CreatePluginInstance(nullptr, &RecordingHost::Callback), nullptr);
}

namespace {
std::atomic<int> g_constructing{0};
std::atomic<int> g_overlaps{0};

IVstBinding* MakeSlowly(audioMasterCallback host) {
  if (g_constructing.fetch_add(1) != 0) g_overlaps.fetch_add(1);
  std::this_thread::sleep_for(std::chrono::milliseconds(30));
  auto* plugin = new BindingTestEffect(host);
  g_constructing.fetch_sub(1);
  return plugin;
}
}  // namespace

TEST(PluginFactory, TwoThreadsCreateDistinctInstancesOneAfterTheOther) {
  RecordingHost host;
  AEffect* effects[2] = {};
  std::thread first([&] { effects[0] = CreatePluginInstance(&MakeSlowly, &RecordingHost::Callback); });
  std::thread second([&] { effects[1] = CreatePluginInstance(&MakeSlowly, &RecordingHost::Callback); });
  first.join();
  second.join();
  ASSERT_NE(effects[0], nullptr);
  ASSERT_NE(effects[1], nullptr);
  EXPECT_NE(effects[0], effects[1]);
  EXPECT_NE(effects[0]->object, effects[1]->object);
  for (AEffect* effect : effects) EXPECT_EQ(&IVstBinding::FromEffect(effect)->Effect()[0], effect);
  EXPECT_EQ(g_overlaps.load(), 0);
  Close(effects[0]);
  Close(effects[1]);
}

// ---- Editor ---------------------------------------------------------------------

TEST_F(BindingTest, AttachingAnEditorSetsTheFlagTheRectangleAndShowsEveryParameter) {
  Make();
  auto* view = new TestEditorView(815, 500);
  plugin->AttachEditor(view);
  EXPECT_EQ(effect->flags, 0x1019);
  EXPECT_EQ(plugin->EditorRect().top, 0);
  EXPECT_EQ(plugin->EditorRect().left, 0);
  EXPECT_EQ(plugin->EditorRect().bottom, 500);
  EXPECT_EQ(plugin->EditorRect().right, 815);
  EXPECT_EQ(view->prepared, 1);
  ASSERT_EQ(view->pushes.size(), 4u);
  EXPECT_TRUE(view->pushes[0].normalised);
  EXPECT_DOUBLE_EQ(view->pushes[kTestMix].value, 0.5);

  view->Resize(400, 300);
  plugin->EditorSizeChanged();
  EXPECT_EQ(plugin->EditorRect().bottom, 300);
  EXPECT_EQ(plugin->EditorRect().right, 400);

  ERect* rect = nullptr;
  EXPECT_EQ(Dispatch(effEditGetRect, 0, 0, &rect), 1);
  EXPECT_EQ(rect, &plugin->EditorRect());
  EXPECT_EQ(Dispatch(effEditGetRect, 0, 0, nullptr), 0);
}

TEST_F(BindingTest, WithoutAnEditorTheFlagAndRectangleStayClearAndEditOpcodesAnswerZero) {
  Make();
  plugin->AttachEditor(nullptr);
  EXPECT_EQ(effect->flags & effFlagsHasEditor, 0);
  ERect* rect = nullptr;
  EXPECT_EQ(Dispatch(effEditGetRect, 0, 0, &rect), 0);
  EXPECT_EQ(rect, nullptr);
  int parent = 0;
  EXPECT_EQ(Dispatch(effEditOpen, 0, 0, &parent), 0);
  EXPECT_EQ(Dispatch(effEditClose), 0);
  plugin->EditorSizeChanged();
  EXPECT_EQ(plugin->EditorRect().right, 0);
}

TEST_F(BindingTest, EditOpenPassesTheParentWindowAndEditCloseClosesIt) {
  Make();
  auto* view = new TestEditorView(100, 50);
  plugin->AttachEditor(view);
  int parent = 0;
  EXPECT_EQ(Dispatch(effEditOpen, 0, 0, &parent), 1);
  EXPECT_EQ(view->parentSeen, &parent);
  EXPECT_EQ(Dispatch(effEditClose), 1);
  EXPECT_EQ(view->closed, 1);
  view->openSucceeds = false;
  EXPECT_EQ(Dispatch(effEditOpen, 0, 0, &parent), 0);
}
