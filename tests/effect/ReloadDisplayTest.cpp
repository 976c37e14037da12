// Hosts that save a project as parameter values restore each one from the
// float getParameter gave them. Reopening a project must not change what
// any parameter reads, in the start-up state or any factory program.
#include <gtest/gtest.h>

#include <string>

#include "effect/FactoryPresets.h"
#include "effect/Kestrel.h"
#include "vst/PluginFactory.h"
#include "vst/VstAbi.h"

namespace {

VstIntPtr SilentHost(AEffect*, VstInt32, VstInt32, VstIntPtr, void*, float) { return 0; }
IVstBinding* MakeKestrel(audioMasterCallback host) { return new Kestrel(host); }

std::string Display(AEffect* fx, int index) {
  char text[64] = {};
  fx->dispatcher(fx, effGetParamDisplay, index, 0, text, 0.0f);
  return text;
}

// "-0", "-0.0", "-0.00" ...
bool NegativeZero(const std::string& text) {
  return !text.empty() && text[0] == '-' && text.find_first_of("123456789") == std::string::npos;
}

TEST(ReloadDisplay, SetParameterOfGetParameterChangesNoDisplayText) {
  AEffect* fx = CreatePluginInstance(&MakeKestrel, &SilentHost);
  ASSERT_NE(fx, nullptr);
  fx->dispatcher(fx, effOpen, 0, 0, nullptr, 0.0f);
  int changed = 0;
  for (int program = -1; program < kFactoryPresetCount; ++program) {  // -1: as started
    if (program >= 0) fx->dispatcher(fx, effSetProgram, 0, program, nullptr, 0.0f);
    for (int index = 0; index < fx->numParams; ++index) {
      const std::string before = Display(fx, index);
      fx->setParameter(fx, index, fx->getParameter(fx, index));
      const std::string after = Display(fx, index);
      EXPECT_EQ(after, before) << "program " << program << ", parameter " << index;
      changed += after != before;
      EXPECT_FALSE(NegativeZero(after)) << "program " << program << ", parameter " << index;
    }
  }
  EXPECT_EQ(changed, 0);
  fx->dispatcher(fx, effClose, 0, 0, nullptr, 0.0f);
}

}  // namespace
