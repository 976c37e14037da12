#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "tests/framework/TestEffect.h"

namespace {

TEST(EffectBaseConstruction, InitialState) {
  TestEffect fx(106, 128);
  EXPECT_EQ(fx.ParameterCount(), 106);
  EXPECT_EQ(fx.PresetCount(), 128);
  EXPECT_STREQ(fx.EffectName(), "Brume");
  EXPECT_STREQ(fx.MakerName(), "Orvendale");
  EXPECT_STREQ(fx.ProductName(), "Brume product");
  EXPECT_EQ(fx.UniqueId(), TestEffect::kUniqueId);
  EXPECT_EQ(fx.MakerId(), TestEffect::kMakerId);
  EXPECT_EQ(fx.StoredHostId(), -1);
  EXPECT_EQ(fx.HostVersion(), 0);
  EXPECT_EQ(fx.SampleRate(), 44100.0);
  EXPECT_EQ(fx.BlockFrames(), 0);
  EXPECT_EQ(fx.CurrentPreset(), 0);
  EXPECT_EQ(fx.EditorView(), nullptr);
  EXPECT_FALSE(fx.UsesStateChunks());
  EXPECT_FALSE(fx.IsInstrument());
  for (int i = 0; i < fx.ParameterCount(); ++i) {
    const IParameter* p = fx.Parameter(i);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->Kind(), IParameter::kNone);
    EXPECT_EQ(p->Maximum(), 1.0);
  }
  EXPECT_EQ(fx.Parameter(-1), nullptr);
  EXPECT_EQ(fx.Parameter(106), nullptr);
  for (int i = 0; i < fx.PresetCount(); ++i) {
    EXPECT_FALSE(fx.Preset(i)->initialised);
    EXPECT_STREQ(fx.PresetName(i), "empty");
    EXPECT_EQ(fx.Preset(i)->values.Size(), 0);
  }
}

TEST(EffectBaseGui, SetParameterFromGuiSetsReportsAndApplies) {
  TestEffect fx;
  fx.Parameter(2)->DefineEnum("Mode", 0, 4);
  fx.SetParameterFromGUI(2, 0.5);
  EXPECT_EQ(fx.Parameter(2)->Value(), 2.0);
  ASSERT_EQ(fx.automation.size(), 1u);
  EXPECT_EQ(fx.automation[0].first, 2);
  EXPECT_EQ(fx.automation[0].second, 0.5);  // the host gets the normalised value as sent
  EXPECT_TRUE(fx.changed.empty());  // applied by the audio thread, at its next block
  EXPECT_EQ(fx.Applied(), std::vector<int>{2});
  EXPECT_TRUE(fx.Applied().empty());  // once
  fx.SetParameterFromGUI(99, 0.5);  // a stray index changes nothing
  EXPECT_TRUE(fx.Applied().empty());
  EXPECT_EQ(fx.automation.size(), 1u);
}

TEST(EffectBaseGui, NotifyAllParametersChangedVisitsEveryIndexInOrder) {
  TestEffect fx(70);  // more than one word of change flags
  fx.NotifyAllParametersChanged();
  std::vector<int> all(70);
  for (int i = 0; i < 70; ++i) all[static_cast<size_t>(i)] = i;
  EXPECT_EQ(fx.Applied(), all);
  EXPECT_EQ(fx.EditorChanges().size(), 70u);
}

TEST(EffectBaseEditor, AttachPushesNormalisedValuesThenPrepares) {
  TestEffect fx(3);
  fx.Parameter(0)->DefineDouble("Gain", -35.0, -80.0, 10.0, 0.1, "dB");
  fx.Parameter(1)->DefineBool("Clip", true);
  auto* view = new RecordingView;
  fx.AttachEditor(view);
  EXPECT_EQ(fx.EditorView(), view);
  EXPECT_TRUE(view->prepared);
  ASSERT_EQ(view->pushes.size(), 3u);
  EXPECT_DOUBLE_EQ(view->pushes[0].value, 0.5);
  EXPECT_TRUE(view->pushes[0].normalised);
  EXPECT_EQ(view->pushes[1].value, 1.0);
  view->pushes.clear();
  fx.RefreshParameterControls();  // the editor takes every value on its next tick
  EXPECT_TRUE(view->pushes.empty());
  const auto shown = fx.EditorChanges();
  ASSERT_EQ(shown.size(), 3u);
  EXPECT_EQ(shown[0], std::make_pair(0, -35.0));  // real values this time
  EXPECT_TRUE(fx.Applied().empty());
  fx.AttachEditor(nullptr);
  EXPECT_EQ(fx.EditorView(), view);
}

TEST(EffectBaseEditor, BaseOwnsAndDestroysTheView) {
  int destroyed = 0;
  {
    TestEffect fx;
    fx.RefreshParameterControls();  // no view: nothing to do
    fx.AttachEditor(new RecordingView(&destroyed));
    fx.AttachEditor(new RecordingView(&destroyed));  // replaced view is freed
    EXPECT_EQ(destroyed, 1);
  }
  EXPECT_EQ(destroyed, 2);
}

TEST(EffectBaseDefaults, MidiGoesBackToTheHostAndKeyNamesAreEmpty) {
  TestEffect fx;
  IMidiEvent e;
  e.status = 0x90;
  e.data1 = 60;
  fx.HandleMidiEvent(e);
  ASSERT_EQ(fx.sent.size(), 1u);
  EXPECT_EQ(fx.sent[0].data1, 60);
  char name[64] = "junk";
  EXPECT_FALSE(fx.KeyNameFor(60, name));
  EXPECT_STREQ(name, "");
  EXPECT_FALSE(fx.ReservedQuery());
  EXPECT_EQ(fx.HostId(), -1);
  fx.SetLatencyFrames(64);
  EXPECT_EQ(fx.Latency(), 64);
  fx.StoreSampleRate(96000.0);
  EXPECT_EQ(fx.SampleRate(), 96000.0);
}

TEST(EffectBaseLock, IsRecursiveAndExcludesOtherThreads) {
  TestEffect fx;
  IEffectBase::LockGuard outer(fx);
  {
    IEffectBase::LockGuard inner(fx);  // same thread proceeds
    fx.ClearProcessingState();         // takes it a third time
  }
  std::atomic<bool> entered{false};
  std::thread other([&] {
    IEffectBase::LockGuard guard(fx);
    entered = true;
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_FALSE(entered.load());
  fx.Unlock();  // release the guard's hold early, then re-take for its destructor
  other.join();
  EXPECT_TRUE(entered.load());
  fx.Lock();
}

}  // namespace
