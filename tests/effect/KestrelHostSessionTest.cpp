// One whole host session through the effect record, the way a VST host sees
// Brume: creation through the entry steps, open, rate and block size,
// program list, a program change, audio, close.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "effect/Kestrel.h"
#include "vst/PluginFactory.h"
#include "vst/VstAbi.h"

namespace {

VstIntPtr SilentHost(AEffect*, VstInt32, VstInt32, VstIntPtr, void*, float) { return 0; }

IVstBinding* MakeKestrel(audioMasterCallback host) { return new Kestrel(host); }

VstIntPtr Dispatch(AEffect* fx, VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0,
                   void* ptr = nullptr, float opt = 0.0f) {
  return fx->dispatcher(fx, opcode, index, value, ptr, opt);
}

TEST(KestrelHostSessionTest, HostSeesBrumeAndItsProgramsAndHearsTheDryHalf) {
  AEffect* fx = CreatePluginInstance(&MakeKestrel, &SilentHost);
  ASSERT_NE(fx, nullptr);
  EXPECT_EQ(fx->numParams, 106);
  EXPECT_EQ(fx->numPrograms, 128);
  EXPECT_EQ(fx->numInputs, 2);
  EXPECT_EQ(fx->numOutputs, 2);
  EXPECT_EQ(fx->uniqueID, 0x6D706541);
  EXPECT_EQ(fx->version, 10000);
  // Replacing, double replacing and mono-capable; no editor attached yet.
  EXPECT_EQ(fx->flags & ~effFlagsHasEditor, 0x1018);
  auto* kestrel = static_cast<Kestrel*>(fx->object);
  EXPECT_STREQ(kestrel->EffectName(), "Brume");
  EXPECT_STREQ(kestrel->MakerName(), "Orvendale");
  EXPECT_TRUE(kestrel->LegalIO(1, 1));
  EXPECT_TRUE(kestrel->LegalIO(2, 2));
  EXPECT_FALSE(kestrel->LegalIO(1, 2));
  EXPECT_TRUE(kestrel->DoesMidi());

  Dispatch(fx, effOpen);
  Dispatch(fx, effSetSampleRate, 0, 0, nullptr, 44100.0f);
  Dispatch(fx, effSetBlockSize, 0, 256);
  Dispatch(fx, effMainsChanged, 0, 1);

  char name[256] = {};
  ASSERT_EQ(Dispatch(fx, effGetProgramNameIndexed, 5, 0, name), 1);
  EXPECT_STREQ(name, "sliced ");
  ASSERT_EQ(Dispatch(fx, effGetProgramNameIndexed, 20, 0, name), 1);
  EXPECT_STREQ(name, "-");

  std::vector<double> inL(256, 0.25), inR(256, -0.5), outL(256), outR(256);
  double* inputs[2] = {inL.data(), inR.data()};
  double* outputs[2] = {outL.data(), outR.data()};
  fx->processDoubleReplacing(fx, inputs, outputs, 256);
  for (int i = 0; i < 256; ++i) {
    ASSERT_EQ(outL[i], 0.125);
    ASSERT_EQ(outR[i], -0.25);
  }

  // Program 0 ("Init") is wet only: the dry half disappears.
  Dispatch(fx, effSetProgram, 0, 0);
  EXPECT_EQ(Dispatch(fx, effGetProgram), 0);
  fx->processDoubleReplacing(fx, inputs, outputs, 256);
  EXPECT_NE(outL[255], 0.125);

  // Automation reaches the engine: mix back to 0 % gives the input exactly
  // (once its ramp is over).
  fx->setParameter(fx, 49 /* kDryWetMix */, 0.0f);
  EXPECT_EQ(kestrel->SignalEngine().dryWetMix, 0.0);
  for (int block = 0; block < 4; ++block) fx->processDoubleReplacing(fx, inputs, outputs, 256);
  EXPECT_EQ(outL[10], 0.25);
  EXPECT_EQ(outR[10], -0.5);

  Dispatch(fx, effMainsChanged, 0, 0);
  Dispatch(fx, effClose);
}

}  // namespace
