// Automation from the plug-in to the host: a change made by an editor
// control (IEffectBase::SetParameterFromGUI) is recorded by the host, with
// the effect itself, not a test double, behind the binding.
#include <gtest/gtest.h>

#include "effect/Kestrel.h"
#include "tests/vst/RecordingHost.h"

TEST(KestrelAutomation, EditorChangesReachTheHostAsAutomation) {
  RecordingHost host;
  Kestrel kestrel(&RecordingHost::Callback);
  AEffect* effect = kestrel.Effect();
  kestrel.SetParameterFromGUI(49, 0.25);  // "Mix"
  kestrel.SetParameterFromGUI(2, 0.1);    // "AudioOut1", stepped to 1 of 10
  const auto automation = host.CallsOf(audioMasterAutomate);
  ASSERT_EQ(automation.size(), 2u);
  EXPECT_EQ(automation[0].index, 49);
  EXPECT_EQ(automation[0].opt, 0.25f);
  EXPECT_EQ(automation[0].effect, effect);
  EXPECT_EQ(automation[1].index, 2);
  EXPECT_EQ(automation[1].opt, 0.1f);
  EXPECT_FLOAT_EQ(effect->getParameter(effect, 49), 0.25f);
  EXPECT_TRUE(kestrel.EditedSinceLoad());
}
