// Checks every parameter the plug-in defines against the published parameter
// list: identifier, index, name, kind, range, default, step, label, curve and
// value texts. The expectations are written out here from the documentation,
// not taken from the effect's own table.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "effect/ParameterIds.h"
#include "tests/effect/KestrelTestHost.h"

namespace {

enum ExpectedKind { kDbl = IParameter::kDouble, kEnm = IParameter::kEnum, kBol = IParameter::kBool };

struct ExpectedParameter {
  int constant;  // the index constant as compiled
  int index;     // the documented index
  std::string id;
  std::string name;
  ExpectedKind kind;
  double def, min, max, step;
  std::string label;
  double exponent;
  std::vector<std::string> texts;
};

const std::vector<std::string> kQuarters = {
    "1 qtr", "2 qtr", "3 qtr", "4 qtr", "5 qtr", "6 qtr", "7 qtr", "8 qtr",
    "9 qtr", "10 qtr", "11 qtr", "12 qtr", "13 qtr", "14 qtr", "15 qtr", "16 qtr"};
const std::vector<std::string> kOffOn = {"off", "on"};

std::vector<ExpectedParameter> SingleParameters() {
  return {
      {kGain, 0, "kGain", "Gain", kDbl, 0, -80, 10, 0.1, "dB", 2, {}},
      {kCrusherBits1, 37, "kCrusherBits1", "Bits1", kDbl, 64, 1, 64, 0.1, "Bits", 2, {}},
      {kCrusherRate1, 38, "kCrusherRate1", "Rate1", kDbl, 100, 1, 100, 0.1, "%", 1, {}},
      {kCrusherBits2, 39, "kCrusherBits2", "Bits2", kDbl, 64, 1, 64, 0.1, "Bits", 2, {}},
      {kCrusherRate2, 40, "kCrusherRate2", "Rate2", kDbl, 100, 1, 100, 0.1, "%", 1, {}},
      {kFilterShape1, 41, "kFilterShape1", "FltMrph1", kDbl, 0, 0, 100, 1, "%", 1, {}},
      {kFilterFreq1, 42, "kFilterFreq1", "FltFrq1", kDbl, 1000, 50, 18000, 1, "Hz", 1, {}},
      {kFilterRes1, 43, "kFilterRes1", "fltQ1", kDbl, 0, 0, 99, 0.1, "%", 1, {}},
      {kFilterShape2, 44, "kFilterShape2", "FltMrph2", kDbl, 0, 0, 100, 1, "%", 1, {}},
      {kFilterFreq2, 45, "kFilterFreq2", "FltFrq2", kDbl, 1000, 50, 18000, 1, "Hz", 1, {}},
      {kFilterRes2, 46, "kFilterRes2", "fltQ2", kDbl, 0, 0, 99, 0.1, "%", 1, {}},
      {kPan1, 47, "kPan1", "Pan1", kDbl, 0, 0, 1, 0.01, " ", 1, {}},
      {kPan2, 48, "kPan2", "Pan2", kDbl, 1, 0, 1, 0.01, " ", 1, {}},
      {kDryWetMix, 49, "kDryWetMix", "Mix", kDbl, 50, 0, 100, 0.1, "%", 1, {}},
      {kDelayLengthQuarters1, 50, "kDelayLengthQuarters1", "DlyQrt1", kEnm, 4, 0, 15, 1, "", 1,
       kQuarters},
      {kDelayLengthFine1, 51, "kDelayLengthFine1", "DlyFine1", kDbl, 1, 0.5, 2, 0.01, " ", 1, {}},
      {kDelayLengthQuarters2, 52, "kDelayLengthQuarters2", "DlyQrt2", kEnm, 4, 0, 15, 1, "", 1,
       kQuarters},
      {kDelayLengthFine2, 53, "kDelayLengthFine2", "DlyFine2", kDbl, 1, 0.5, 2, 0.01, " ", 1, {}},
      {kLfoShape1, 54, "kLfoShape1", "LfoShp1", kDbl, 0, 0, 100, 1, "%", 1, {}},
      {kLfoShape2, 55, "kLfoShape2", "LfoShp2", kDbl, 0, 0, 100, 1, "%", 1, {}},
      {kLfoRate1, 56, "kLfoRate1", "LfoRate1", kDbl, 1, 0.01, 100, 0.01, "Hz", 1, {}},
      {kLfoRate2, 57, "kLfoRate2", "LfoRate2", kDbl, 1, 0.01, 100, 0.01, "Hz", 1, {}},
      {kEnvAttack, 58, "kEnvAttack", "EnvAtk", kDbl, 5, 1, 5000, 1, "ms", 2, {}},
      {kEnvRelease, 59, "kEnvRelease", "EnvRel", kDbl, 5, 1, 5000, 1, "ms", 2, {}},
      {kSoftClip, 60, "kSoftClip", "SftClp", kEnm, 1, 0, 1, 1, "", 1,
       {"soft clip off", "soft clip on"}},
      {kMaster1, 61, "kMaster1", "Master1", kDbl, 100, 0, 100, 0.1, "%", 2, {}},
      {kMaster2, 62, "kMaster2", "Master2", kDbl, 100, 0, 100, 0.1, "%", 2, {}},
      {kDelayFeedback1, 63, "kDelayFeedback1", "DlyFdb1", kDbl, 0, 0, 100, 1, "%", 1, {}},
      {kDelayFeedback2, 64, "kDelayFeedback2", "DlyFdb2", kDbl, 0, 0, 100, 1, "%", 1, {}},
      {kLfoPhase1, 65, "kLfoPhase1", "LfoPhs1", kDbl, 0, 0, 360, 1, "\xB0", 1, {}},
      {kLfoPhase2, 66, "kLfoPhase2", "LfoPhs2", kDbl, 0, 0, 360, 1, "\xB0", 1, {}},
      {kControlRate, 67, "kControlRate", "CtrlRat", kEnm, 3, 0, 5, 1, "", 1,
       {"Control Rate: 1", "Control Rate: 4", "Control Rate: 8", "Control Rate: 16",
        "Control Rate: 32", "Control Rate: 64"}},
      {kLfoReset, 104, "kLfoReset", "LfoRst", kBol, 1, 0, 1, 1, "", 1, kOffOn},
      {kMatrixTab, 105, "kMatrixTab", "Tab", kBol, 1, 0, 1, 1, "", 1, kOffOn},
  };
}

const std::vector<std::string> kAudioSources = {
    "...", "In 1", "In 2", "Crusher 1", "Crusher 2", "Filter 1", "Filter 2", "Delay 1", "Delay 2"};
const std::vector<std::string> kAudioDestinations = {
    "...", "Out 1", "Out 2", "Crusher 1", "Crusher 2", "Filter 1", "Filter 2",
    "Delay 1", "Delay 2", "Delay Fb 1", "Delay Fb 2"};
const std::vector<std::string> kModSources = {
    "...", "Midi Gate", "Midi Note", "Midi Velocity", "Mod Wheel", "Envelope", "Lfo 1", "Lfo 2"};
const std::vector<std::string> kModTargets = {
    "...", "Pan 1", "Pan 2", "Master 1", "Master 2", "Delay Time 1", "Delay Time 2",
    "Delay Fb 1", "Delay Fb 2", "Filter Freq 1", "Filter Freq 2", "Filter Res 1",
    "Filter Res 2", "Filter Shape 1", "Filter Shape 2", "Crusher Bits 1", "Crusher Bits 2",
    "Crusher Rate 1", "Crusher Rate 2", "Lfo Rate 1", "Lfo Rate 2", "Lfo Shape 1",
    "Lfo Shape 2", "Lfo Phase 1", "Lfo Phase 2"};

// The six matrix families, slot n = 1..12.
std::vector<ExpectedParameter> SlotParameters() {
  const int audioIn[] = {kAudioIn1, kAudioIn2, kAudioIn3, kAudioIn4, kAudioIn5, kAudioIn6,
                         kAudioIn7, kAudioIn8, kAudioIn9, kAudioIn10, kAudioIn11, kAudioIn12};
  const int audioOut[] = {kAudioOut1, kAudioOut2, kAudioOut3, kAudioOut4, kAudioOut5,
                          kAudioOut6, kAudioOut7, kAudioOut8, kAudioOut9, kAudioOut10,
                          kAudioOut11, kAudioOut12};
  const int audioAmount[] = {kAudioAmount1, kAudioAmount2, kAudioAmount3, kAudioAmount4,
                             kAudioAmount5, kAudioAmount6, kAudioAmount7, kAudioAmount8,
                             kAudioAmount9, kAudioAmount10, kAudioAmount11, kAudioAmount12};
  const int modIn[] = {kModIn1, kModIn2, kModIn3, kModIn4, kModIn5, kModIn6,
                       kModIn7, kModIn8, kModIn9, kModIn10, kModIn11, kModIn12};
  const int modOut[] = {kModOut1, kModOut2, kModOut3, kModOut4, kModOut5, kModOut6,
                        kModOut7, kModOut8, kModOut9, kModOut10, kModOut11, kModOut12};
  const int modAmount[] = {kModAmount1, kModAmount2, kModAmount3, kModAmount4,
                           kModAmount5, kModAmount6, kModAmount7, kModAmount8,
                           kModAmount9, kModAmount10, kModAmount11, kModAmount12};
  std::vector<ExpectedParameter> rows;
  for (int n = 1; n <= 12; ++n) {
    const std::string s = std::to_string(n);
    auto id = [&](const char* prefix) { return std::string("k") + prefix + s; };
    rows.push_back({audioIn[n - 1], 3 * n - 2, id("AudioIn"), "AudioIn" + s, kEnm, 0, 0, 8, 1,
                    "", 1, kAudioSources});
    rows.push_back({audioOut[n - 1], 3 * n - 1, id("AudioOut"), "AudioOut" + s, kEnm, 0, 0, 10,
                    1, "", 1, kAudioDestinations});
    rows.push_back({audioAmount[n - 1], 3 * n, id("AudioAmount"), "AudAmt" + s, kDbl, 0, -100,
                    100, 1, "%", 1, {}});
    rows.push_back({modIn[n - 1], 65 + 3 * n, id("ModIn"), "ModIn" + s, kEnm, 0, 0, 7, 1, "", 1,
                    kModSources});
    rows.push_back({modOut[n - 1], 66 + 3 * n, id("ModOut"), "ModOut" + s, kEnm, 0, 0, 24, 1,
                    "", 1, kModTargets});
    rows.push_back({modAmount[n - 1], 67 + 3 * n, id("ModAmount"), "ModAmt" + s, kDbl, 0, -100,
                    100, 1, "%", 1, {}});
  }
  return rows;
}

int DecimalsOf(double step) { return step == 0.1 ? 1 : step == 0.01 ? 2 : 0; }

void ExpectParameter(const IEffectBase& effect, const ExpectedParameter& e) {
  SCOPED_TRACE(e.id);
  EXPECT_EQ(e.constant, e.index);
  EXPECT_STREQ(kParameterIdentifiers[e.index], e.id.c_str());
  const IParameter* p = effect.Parameter(e.index);
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(p->Name(), e.name);
  EXPECT_EQ(p->Kind(), e.kind);
  EXPECT_EQ(p->Default(), e.def);
  EXPECT_EQ(p->Value(), e.def) << "a new plug-in starts at the defaults";
  EXPECT_EQ(p->Minimum(), e.min);
  EXPECT_EQ(p->Maximum(), e.max);
  EXPECT_EQ(p->Step(), e.step);
  EXPECT_EQ(p->Label(), e.label);
  EXPECT_EQ(p->CurveExponent(), e.exponent);
  EXPECT_EQ(p->DisplayDecimals(), DecimalsOf(e.step));
  ASSERT_EQ(p->ValueTextCount(), static_cast<int>(e.texts.size()));
  for (int v = 0; v < static_cast<int>(e.texts.size()); ++v) {
    EXPECT_EQ(p->ValueText(v), e.texts[v]) << "value " << v;
    int found = -1;
    EXPECT_TRUE(p->FindValueText(e.texts[v].c_str(), &found));
    EXPECT_EQ(found, v) << "texts are unique within a list";
  }
}

class ParameterTableTest : public ::testing::Test {
 protected:
  KestrelTestHost host;
};

TEST_F(ParameterTableTest, SingleParametersMatchTheirDocumentedDefinition) {
  for (const ExpectedParameter& e : SingleParameters()) ExpectParameter(host.effect(), e);
}

TEST_F(ParameterTableTest, MatrixSlotFamiliesMatchTheirDocumentedDefinition) {
  for (const ExpectedParameter& e : SlotParameters()) ExpectParameter(host.effect(), e);
}

TEST_F(ParameterTableTest, EveryIndexIsCoveredExactlyOnce) {
  std::vector<int> seen(kParameterCount, 0);
  for (const auto& e : SingleParameters()) ++seen[e.index];
  for (const auto& e : SlotParameters()) ++seen[e.index];
  for (int i = 0; i < kParameterCount; ++i) EXPECT_EQ(seen[i], 1) << "index " << i;
  EXPECT_EQ(host.effect().ParameterCount(), 106);
  EXPECT_EQ(host.effect().Parameter(106), nullptr);
}

TEST_F(ParameterTableTest, LabelsKeepTheirExactBytes) {
  const IEffectBase& fx = host.effect();
  // One blank, not empty, for the unitless pan and fine-delay factors.
  for (int i : {kPan1, kPan2, kDelayLengthFine1, kDelayLengthFine2}) {
    EXPECT_STREQ(fx.Parameter(i)->Label(), " ") << i;
  }
  // The degree sign is the single Windows-1252 byte 0xB0.
  EXPECT_EQ(std::string(fx.Parameter(kLfoPhase1)->Label()), std::string(1, '\xB0'));
  EXPECT_EQ(std::string(fx.Parameter(kLfoPhase2)->Label()).size(), 1u);
}

}  // namespace
