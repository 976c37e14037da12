#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/framework/TestEffect.h"

namespace {

// Parameters: 0 gain -80..10 dB, 1 bool, 2 enum of 4, then plain 0..1 ones.
void DefineParameters(IEffectBase& fx) {
  fx.Parameter(0)->DefineDouble("Gain", 0.0, -80.0, 10.0, 0.1, "dB");
  fx.Parameter(1)->DefineBool("Clip", false);
  fx.Parameter(2)->DefineEnum("Mode", 1, 4);
  for (int i = 3; i < fx.ParameterCount(); ++i) fx.Parameter(i)->DefineDouble("p", 0.5, 0, 1, 0.01, "");
}

std::vector<double> ValuesOf(const IStateChunk& chunk) {
  std::vector<double> out;
  double v;
  for (int p = 0; (p = chunk.ReadDouble(p, &v)) > 0;) out.push_back(v);
  return out;
}

std::vector<double> Live(const IEffectBase& fx) {
  std::vector<double> out;
  for (int i = 0; i < fx.ParameterCount(); ++i) out.push_back(fx.Parameter(i)->Value());
  return out;
}

class Presets : public ::testing::Test {
 protected:
  Presets() : fx(106, 8) { DefineParameters(fx); }
  TestEffect fx;
};

TEST_F(Presets, ProgramChunkIsHeaderPlusOneDoublePerParameter) {
  IStateChunk c;
  WriteChunkHeader(c);
  ASSERT_TRUE(fx.SaveState(c));
  ASSERT_EQ(c.Size(), 856);
  EXPECT_EQ(std::memcmp(c.Data(), "\x74\x66\x66\x70\x00\x00\x01\x00", 8), 0);
  double v;
  c.ReadDouble(8 + 2 * 8, &v);
  EXPECT_EQ(v, 1.0);
}

TEST_F(Presets, UnserializeParamsIsAllOrNothingClampsAndNotifiesEveryParameter) {
  fx.Parameter(2)->SetClamped(3.0);
  const std::vector<double> before = Live(fx);
  fx.Applied();
  IStateChunk c;
  c.AppendDouble(500.0);  // above the gain range
  c.AppendDouble(1.0);
  EXPECT_EQ(fx.UnserializeParams(c, 0), -1);  // 16 bytes for 106 parameters: nothing changes
  EXPECT_EQ(Live(fx), before);
  EXPECT_TRUE(fx.Applied().empty());
  for (int k = 2; k < 106; ++k) c.AppendDouble(0.0);
  IStateChunk bad = c;
  const double notFinite[] = {std::nan(""), HUGE_VAL};
  for (double v : notFinite) {
    std::memcpy(bad.Data() + 8 * 40, &v, 8);
    EXPECT_EQ(fx.UnserializeParams(bad, 0), -1);
    EXPECT_EQ(Live(fx), before);
  }
  EXPECT_EQ(fx.UnserializeParams(c, 0), 848);
  EXPECT_EQ(fx.Parameter(0)->Value(), 10.0);  // limited to the range
  EXPECT_EQ(fx.Parameter(2)->Value(), 0.0);
  EXPECT_EQ(fx.Applied().size(), 106u);
}

TEST_F(Presets, BankChunkLayout) {
  fx.FillEmptyPresets("-", 8);
  IStateChunk c;
  WriteChunkHeader(c);
  ASSERT_TRUE(fx.SerializePresets(c));
  ASSERT_EQ(c.Size(), 8 + 8 * (4 + 1 + 1 + 848));
  const uint8_t start[] = {1, 0, 0, 0, 0x2D, 1};
  EXPECT_EQ(std::memcmp(c.Data() + 8, start, sizeof start), 0);
}

TEST_F(Presets, BankRoundTripRestoresNamesValuesAndCurrentSlot) {
  fx.MakePresetFromNamedParams("Loud", {{0, 6.0}, {2, 3.0}});
  fx.MakePresetFromNamedParams("Quiet", {{0, -40.0}});
  fx.LoadPreset(1);
  IStateChunk bank;
  fx.SerializePresets(bank);

  TestEffect other(106, 8);
  DefineParameters(other);
  EXPECT_EQ(other.UnserializePresets(bank, 0), bank.Size());
  EXPECT_STREQ(other.PresetName(0), "Loud");
  EXPECT_STREQ(other.PresetName(1), "Quiet");
  EXPECT_STREQ(other.PresetName(2), "empty");
  EXPECT_FALSE(other.Preset(2)->initialised);
  // Slot 0 is current in the fresh instance and is applied at the end.
  EXPECT_EQ(other.Parameter(0)->Value(), 6.0);
  EXPECT_EQ(ValuesOf(other.Preset(1)->values), ValuesOf(fx.Preset(1)->values));
}

TEST_F(Presets, BankSlotWithFlagZeroKeepsItsValues) {
  fx.FillEmptyPresets("-", 8);
  const std::vector<double> before = ValuesOf(fx.Preset(5)->values);
  IStateChunk bank;
  for (int i = 0; i < 8; ++i) {
    bank.AppendText("x");
    bank.AppendBool(i != 5);
    if (i != 5)
      for (int k = 0; k < 106; ++k) bank.AppendDouble(0.0);
  }
  EXPECT_EQ(fx.UnserializePresets(bank, 0), bank.Size());
  EXPECT_FALSE(fx.Preset(5)->initialised);
  EXPECT_EQ(ValuesOf(fx.Preset(5)->values), before);
  EXPECT_EQ(ValuesOf(fx.Preset(4)->values)[0], 0.0);
}

TEST_F(Presets, ATruncatedBankChangesNothing) {
  fx.FillEmptyPresets("-", 8);
  fx.Parameter(0)->SetClamped(-5.0);  // an unsaved live edit
  IStateChunk before;
  fx.SerializePresets(before);
  fx.Applied();
  IStateChunk bank;
  bank.AppendText("First");
  bank.AppendBool(true);
  for (int k = 0; k < 106; ++k) bank.AppendDouble(-20.0);
  bank.AppendText("Second");
  bank.AppendBool(true);
  bank.AppendDouble(-30.0);  // slot 1 runs out after one value
  EXPECT_EQ(fx.UnserializePresets(bank, 0), -1);
  IStateChunk after;
  fx.SerializePresets(after);
  ASSERT_EQ(after.Size(), before.Size());
  EXPECT_EQ(std::memcmp(after.Data(), before.Data(), before.Size()), 0);
  EXPECT_EQ(fx.Parameter(0)->Value(), -5.0);
  EXPECT_TRUE(fx.Applied().empty());
}

// Preset names come from untrusted chunks: whatever length is stored, the
// slot name stays a terminated text of at most 255 characters and no byte
// outside the chunk is read.
TEST_F(Presets, UntrustedBankNameLengths) {
  fx.FillEmptyPresets("-", 8);
  fx.LoadPreset(3);  // keep slot 0 out of the final re-apply
  auto bankWithNameLength = [](int32_t length, int payload) {
    IStateChunk c;
    c.AppendInt32(length);
    c.AppendBytes(std::string(static_cast<size_t>(payload), 'N').c_str(), payload);
    c.AppendBool(false);
    return c;
  };
  // Over 255 characters: truncated, reading continues after the full text.
  IStateChunk longName = bankWithNameLength(1000, 1000);
  for (int i = 1; i < 8; ++i) longName.AppendText("x"), longName.AppendBool(false);
  EXPECT_EQ(fx.UnserializePresets(longName, 0), longName.Size());
  EXPECT_EQ(std::string(fx.PresetName(0)), std::string(255, 'N'));
  EXPECT_FALSE(fx.Preset(0)->initialised);
  for (int32_t bad : {-1, -2147483647 - 1, 0, 2000, 2147483647}) {
    TestEffect g(106, 8);
    DefineParameters(g);
    g.FillEmptyPresets("-", 8);
    IStateChunk c = bankWithNameLength(bad, 10);
    EXPECT_EQ(g.UnserializePresets(c, 0), -1) << bad;
    EXPECT_STREQ(g.PresetName(0), "-") << bad;  // unreadable or empty name: kept
    EXPECT_TRUE(g.Preset(0)->initialised) << bad;
  }
}

TEST_F(Presets, SlotSwitchedOffByABankCapturesFreshValues) {
  fx.FillEmptyPresets("-", 8);
  IStateChunk bank;
  for (int i = 0; i < 8; ++i) {
    bank.AppendText("x");
    bank.AppendBool(false);  // every slot off, their old values stay behind
  }
  fx.UnserializePresets(bank, 0);
  fx.Parameter(0)->SetClamped(-7.0);
  ASSERT_TRUE(fx.LoadPreset(4));
  EXPECT_EQ(ValuesOf(fx.Preset(4)->values), Live(fx));
  fx.FillEmptyPresets("again", 1);
  EXPECT_EQ(ValuesOf(fx.Preset(1)->values), Live(fx));
  fx.MakePresetFromNamedParams("made", {{0, -9.0}});
  EXPECT_EQ(ValuesOf(fx.Preset(2)->values).size(), 106u);
}

TEST_F(Presets, FillEmptyPresetsUsesFreeSlotsOnly) {
  fx.Parameter(0)->SetClamped(-12.0);
  fx.FillEmptyPresets(nullptr, 3);
  EXPECT_STREQ(fx.PresetName(0), "Empty");
  EXPECT_STREQ(fx.PresetName(2), "Empty");
  EXPECT_FALSE(fx.Preset(3)->initialised);
  EXPECT_EQ(ValuesOf(fx.Preset(1)->values), Live(fx));
  fx.FillEmptyPresets("-", 100);
  IStateChunk before;
  fx.SerializePresets(before);
  fx.FillEmptyPresets("x", 5);  // every slot taken
  IStateChunk after;
  fx.SerializePresets(after);
  ASSERT_EQ(before.Size(), after.Size());
  EXPECT_EQ(std::memcmp(before.Data(), after.Data(), before.Size()), 0);
}

TEST_F(Presets, MakePresetFromNamedParamsByKindWithMarker) {
  fx.Parameter(5)->SetClamped(0.3);
  fx.MakePresetFromNamedParams("Mixed", {{0, -12.5}, {2, 2.9}, {1, 1.0}, {5, IEffectBase::kPresetMarker},
                                         {-1, 4.0}, {106, 4.0}});
  const std::vector<double> values = ValuesOf(fx.Preset(0)->values);
  ASSERT_EQ(values.size(), 106u);  // the given ones and the current values of the rest
  EXPECT_EQ(values[0], -12.5);
  EXPECT_EQ(values[2], 2.0);  // integral kinds take whole numbers, truncated
  EXPECT_EQ(values[1], 1.0);
  EXPECT_EQ(values[5], 0.3);  // the marker keeps the current value
  EXPECT_EQ(values[7], 0.5);
  EXPECT_STREQ(fx.PresetName(0), "Mixed");
  const IPresetValue pairs[] = {{3, 0.25}};
  fx.MakePresetFromNamedParams("Array", pairs, 1);
  EXPECT_EQ(ValuesOf(fx.Preset(1)->values)[3], 0.25);
  for (int i = 2; i < 8; ++i) fx.MakePresetFromNamedParams("fill", {});
  fx.MakePresetFromNamedParams("none left", {{0, 1.0}});
  for (int i = 0; i < 8; ++i) EXPECT_STRNE(fx.PresetName(i), "none left");
}

TEST_F(Presets, LoadPresetAppliesOrCapturesAndNotifies) {
  fx.MakePresetFromNamedParams("Low", {{0, -60.0}});
  EXPECT_FALSE(fx.LoadPreset(-1));
  EXPECT_FALSE(fx.LoadPreset(8));
  auto* view = new RecordingView;
  fx.AttachEditor(view);
  fx.Parameter(0)->SetClamped(3.0);
  fx.Applied();
  fx.EditorChanges();
  ASSERT_TRUE(fx.LoadPreset(0));
  EXPECT_EQ(fx.Parameter(0)->Value(), -60.0);
  EXPECT_EQ(fx.Applied().size(), 106u);
  EXPECT_EQ(fx.EditorChanges().size(), 106u);
  EXPECT_EQ(fx.presetListEdits, 1);

  fx.Parameter(0)->SetClamped(4.0);
  fx.EditorChanges();
  ASSERT_TRUE(fx.LoadPreset(3));  // never initialised: captures the live state
  EXPECT_EQ(fx.CurrentPreset(), 3);
  EXPECT_STREQ(fx.PresetName(3), "user preset 1");
  EXPECT_EQ(fx.Parameter(0)->Value(), 4.0);
  EXPECT_TRUE(fx.Applied().empty());
  EXPECT_EQ(ValuesOf(fx.Preset(3)->values), Live(fx));
}

TEST_F(Presets, ModifyCurrentPresetAndNames) {
  fx.FillEmptyPresets("-", 8);
  fx.LoadPreset(2);
  fx.Parameter(0)->SetClamped(-3.0);
  fx.ModifyCurrentPreset(nullptr);
  EXPECT_STREQ(fx.PresetName(2), "-");
  EXPECT_EQ(ValuesOf(fx.Preset(2)->values)[0], -3.0);
  EXPECT_EQ(ValuesOf(fx.Preset(2)->values).size(), 106u);  // replaced, not appended
  fx.ModifyCurrentPreset("");
  EXPECT_STREQ(fx.PresetName(2), "-");
  fx.ModifyCurrentPreset(std::string(400, 'L').c_str());
  EXPECT_EQ(std::string(fx.PresetName(2)), std::string(255, 'L'));
  EXPECT_STREQ(fx.PresetName(-1), "");
  EXPECT_STREQ(fx.PresetName(8), "");
}

TEST_F(Presets, NextUserPresetNameCountsSubstringMatches) {
  char name[IPreset::kNameSize];
  fx.NextUserPresetName(name);
  EXPECT_STREQ(name, "user preset 1");
  fx.FillEmptyPresets("user preset 1", 1);
  fx.FillEmptyPresets("my user preset", 1);
  fx.NextUserPresetName(name);
  EXPECT_STREQ(name, "user preset 3");
}

class PresetDump : public Presets {
 protected:
  std::string Dump() {
    const std::string path = ::testing::TempDir() + "kestrel_dump_test.txt";
    std::vector<const char*> names(106, "kP");
    names[0] = "kGain";
    fx.DumpPresetSource(path.c_str(), names.data());
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    std::remove(path.c_str());
    return text.str();
  }
};

TEST_F(PresetDump, WritesPresetMakerSource) {
  fx.Parameter(0)->SetClamped(-12.25);
  fx.Parameter(1)->SetClamped(0.5);
  fx.Parameter(2)->SetClamped(2.0);
  const std::string text = Dump();
  EXPECT_EQ(text.rfind("  MakePresetFromNamedParams(\"name\", 106,\n    kGain, -12.250000,\n"
                       "    kP, true,\n    kP, 2,\n    kP, 0.500000",
                       0),
            0u)
      << text;
  EXPECT_EQ(text.substr(text.size() - 3), ");\n");
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 107);
}

TEST_F(PresetDump, UnopenablePathWritesNothing) {
  const std::string path = ::testing::TempDir() + "no/such/dir/dump.txt";
  fx.DumpPresetSource(path.c_str(), nullptr);
  std::ifstream in(path);
  EXPECT_FALSE(in.good());
  fx.DumpPresetSource(nullptr, nullptr);
}

}  // namespace
