// Damaged states (cut, bytes changed, values made non-finite, garbage
// appended, streams that hand out a few bytes at a time): setState takes a
// state whole or changes nothing, exactly when the VST 2.4 plug-in takes
// the same bytes as a program chunk, and ends with the same values.
// Seeded and bounded, so every run checks the same cases.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "effect/Kestrel.h"
#include "tests/Vst24Reference.h"
#include "tests/vst3/Vst3Host.h"

namespace {

using namespace vst3_host;
using Bytes = std::vector<uint8_t>;

VstIntPtr SilentHost(AEffect*, VstInt32, VstInt32, VstIntPtr, void*, float) { return 0; }

TEST(Vst3StateFuzz, DamagedStatesLoadWholeOrNotAtAllAsTheVst24PluginDecides) {
  Kestrel effect(&SilentHost, nullptr);
  AEffect* e = effect.Effect();
  Module module(BRUME_VST3_PATH);
  Instance plugin(module.Factory());
  ASSERT_TRUE(plugin.Setup(48000.0, 128));
  std::mt19937 random(20261207);
  std::vector<float> audio(128, 0.1f);
  float* io[] = {audio.data(), audio.data()};
  int accepted = 0, refused = 0;
  for (int round = 0; round < 1500; ++round) {
    // A known starting point: one of the factory programs in both plug-ins.
    e->dispatcher(e, effSetProgram, 0, static_cast<VstIntPtr>(random() % 20), nullptr, 0.0f);
    const Bytes start = Vst2Chunk(e);
    ASSERT_TRUE(plugin.SetState(start));
    const Bytes damaged = DamagedState(Vst2Chunk(e), random);

    const bool vst2 = e->dispatcher(e, effSetChunk, 1, static_cast<VstIntPtr>(damaged.size()),
                                    const_cast<uint8_t*>(damaged.data()), 0.0f) == 1;
    MemoryStream stream(damaged);
    stream.chunkLimit = 1 + static_cast<int>(random() % 300);
    const bool vst3 = plugin.component->setState(&stream) == kResultOk;
    stream.position = 0;
    const bool controller = plugin.controller->setComponentState(&stream) == kResultOk;
    ASSERT_EQ(vst3, vst2) << "round " << round;
    ASSERT_EQ(controller, vst3) << "round " << round;
    const Bytes expected = StateWithBypass(vst2 ? Vst2Chunk(e) : start, false);
    ASSERT_EQ(plugin.State(), expected) << "round " << round;
    for (int i = 0; i < kParameterCount; ++i)
      ASSERT_EQ(plugin.controller->getParamNormalized(i), effect.Parameter(i)->Normalised()) << round << " " << i;
    plugin.Process(io, io, 128);
    (vst3 ? accepted : refused)++;
  }
  // Both outcomes were exercised.
  EXPECT_GT(accepted, 100);
  EXPECT_GT(refused, 100);

  // Longer than any state: refused without being read whole.
  Bytes huge(1 << 20, 0);
  MemoryStream big(huge);
  EXPECT_NE(plugin.component->setState(&big), kResultOk);
  EXPECT_NE(plugin.component->setState(nullptr), kResultOk);
}

}  // namespace
