// Every text Brume hands a host, read through the effect record: UTF-8 on
// Linux (hosts there reject or garble other bytes), the Windows-1252 bytes
// the plug-in holds on Windows.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "effect/FactoryPresets.h"
#include "effect/Kestrel.h"
#include "effect/ParameterIds.h"
#include "framework/TextCodePage.h"
#include "vst/PluginFactory.h"
#include "vst/VstAbi.h"

namespace {

VstIntPtr SilentHost(AEffect*, VstInt32, VstInt32, VstIntPtr, void*, float) { return 0; }
IVstBinding* MakeKestrel(audioMasterCallback host) { return new Kestrel(host); }

std::string Ask(AEffect* fx, VstInt32 opcode, VstInt32 index = 0) {
  char text[256];
  std::memset(text, 'x', sizeof text);
  text[255] = '\0';
  fx->dispatcher(fx, opcode, index, 0, text, 0.0f);
  return text;
}

#ifndef _WIN32
bool ValidUtf8(const std::string& text) {
  const auto* s = reinterpret_cast<const unsigned char*>(text.data());
  for (size_t i = 0; i < text.size();) {
    char32_t cp;
    const size_t n = codepage::DecodeUtf8(s + i, text.size() - i, cp);
    if (!n) return false;
    i += n;
  }
  return true;
}
#endif

TEST(HostText, EveryTextIsUtf8OnLinuxAndTheCodePageOnWindows) {
  AEffect* fx = CreatePluginInstance(&MakeKestrel, &SilentHost);
  ASSERT_NE(fx, nullptr);
  fx->dispatcher(fx, effOpen, 0, 0, nullptr, 0.0f);
#ifdef _WIN32
  EXPECT_EQ(Ask(fx, effGetParamLabel, kLfoPhase1), "\xB0");
#else
  EXPECT_EQ(Ask(fx, effGetParamLabel, kLfoPhase1), "\xC2\xB0");
  EXPECT_EQ(Ask(fx, effGetParamLabel, kLfoPhase2), "\xC2\xB0");
  int texts = 0;
  auto check = [&texts](const std::string& text, const char* what, int index) {
    ++texts;
    EXPECT_TRUE(ValidUtf8(text)) << what << " " << index << ": " << text;
  };
  for (VstInt32 opcode : {effGetEffectName, effGetVendorString, effGetProductString}) check(Ask(fx, opcode), "name", opcode);
  for (int program = 0; program < fx->numPrograms; ++program)
    check(Ask(fx, effGetProgramNameIndexed, program), "program", program);
  for (int program = 0; program < kFactoryPresetCount; ++program) {
    fx->dispatcher(fx, effSetProgram, 0, program, nullptr, 0.0f);
    for (int index = 0; index < fx->numParams; ++index) {
      check(Ask(fx, effGetParamName, index), "name of", index);
      check(Ask(fx, effGetParamLabel, index), "label of", index);
      check(Ask(fx, effGetParamDisplay, index), "display of", index);
    }
  }
  EXPECT_GT(texts, 3 * 106 * kFactoryPresetCount);
#endif
  fx->dispatcher(fx, effClose, 0, 0, nullptr, 0.0f);
}

}  // namespace
