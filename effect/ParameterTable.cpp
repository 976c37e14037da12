#include "effect/ParameterTable.h"

#include <cstdio>

#include "effect/MatrixChoices.h"

namespace {

template <int N>
constexpr ValueTextList List(const char* const (&texts)[N]) {
  return ValueTextList{texts, N};
}

const char* const kAudioSourceList[] = {
    "...", "In 1", "In 2", "Crusher 1", "Crusher 2", "Filter 1", "Filter 2", "Delay 1", "Delay 2"};
const char* const kAudioDestinationList[] = {
    "...", "Out 1", "Out 2", "Crusher 1", "Crusher 2", "Filter 1", "Filter 2",
    "Delay 1", "Delay 2", "Delay Fb 1", "Delay Fb 2"};
const char* const kModSourceList[] = {
    "...", "Midi Gate", "Midi Note", "Midi Velocity", "Mod Wheel", "Envelope", "Lfo 1", "Lfo 2"};
const char* const kModTargetList[] = {
    "...", "Pan 1", "Pan 2", "Master 1", "Master 2", "Delay Time 1", "Delay Time 2",
    "Delay Fb 1", "Delay Fb 2", "Filter Freq 1", "Filter Freq 2", "Filter Res 1",
    "Filter Res 2", "Filter Shape 1", "Filter Shape 2", "Crusher Bits 1", "Crusher Bits 2",
    "Crusher Rate 1", "Crusher Rate 2", "Lfo Rate 1", "Lfo Rate 2", "Lfo Shape 1",
    "Lfo Shape 2", "Lfo Phase 1", "Lfo Phase 2"};
const char* const kQuarterList[] = {
    "1 qtr", "2 qtr", "3 qtr", "4 qtr", "5 qtr", "6 qtr", "7 qtr", "8 qtr",
    "9 qtr", "10 qtr", "11 qtr", "12 qtr", "13 qtr", "14 qtr", "15 qtr", "16 qtr"};
const char* const kSoftClipList[] = {"soft clip off", "soft clip on"};
const char* const kControlRateList[] = {
    "Control Rate: 1", "Control Rate: 4", "Control Rate: 8",
    "Control Rate: 16", "Control Rate: 32", "Control Rate: 64"};

static_assert(sizeof(kAudioSourceList) / sizeof(*kAudioSourceList) == AudioSource::Count, "");
static_assert(sizeof(kAudioDestinationList) / sizeof(*kAudioDestinationList) ==
                  AudioDestination::Count, "");
static_assert(sizeof(kModSourceList) / sizeof(*kModSourceList) == ModSource::Count, "");
static_assert(sizeof(kModTargetList) / sizeof(*kModTargetList) == ModTarget::Count, "");

// Windows-1252 degree sign: parameter strings are held in that code page.
const char kDegreeLabel[] = "\xB0";

// One row of the single-parameter table. Enum ranges follow from their value
// lists (0 .. count - 1, step 1); bools are 0/1 with step 1.
struct SingleRow {
  int index;
  const char* name;
  ParameterKind kind;
  double defaultValue, minimum, maximum, step;
  const char* label;
  double curveExponent;
  ValueTextList texts;
};

constexpr SingleRow Double(int index, const char* name, double def, double min, double max,
                           double step, const char* label, double exponent = 1.0) {
  return SingleRow{index, name, ParameterKind::Double, def, min, max, step, label, exponent, {}};
}
constexpr SingleRow Enum(int index, const char* name, double def, ValueTextList texts) {
  return SingleRow{index, name, ParameterKind::Enum, def, 0.0, double(texts.count - 1), 1.0, "",
                   1.0, texts};
}
constexpr SingleRow Bool(int index, const char* name, double def) {
  return SingleRow{index, name, ParameterKind::Bool, def, 0.0, 1.0, 1.0, "", 1.0, {}};
}

const SingleRow kSingleRows[] = {
    Double(kGain, "Gain", 0, -80, 10, 0.1, "dB", 2),
    Double(kCrusherBits1, "Bits1", 64, 1, 64, 0.1, "Bits", 2),
    Double(kCrusherRate1, "Rate1", 100, 1, 100, 0.1, "%"),
    Double(kCrusherBits2, "Bits2", 64, 1, 64, 0.1, "Bits", 2),
    Double(kCrusherRate2, "Rate2", 100, 1, 100, 0.1, "%"),
    Double(kFilterShape1, "FltMrph1", 0, 0, 100, 1, "%"),
    Double(kFilterFreq1, "FltFrq1", 1000, 50, 18000, 1, "Hz"),
    Double(kFilterRes1, "fltQ1", 0, 0, 99, 0.1, "%"),
    Double(kFilterShape2, "FltMrph2", 0, 0, 100, 1, "%"),
    Double(kFilterFreq2, "FltFrq2", 1000, 50, 18000, 1, "Hz"),
    Double(kFilterRes2, "fltQ2", 0, 0, 99, 0.1, "%"),
    Double(kPan1, "Pan1", 0, 0, 1, 0.01, " "),
    Double(kPan2, "Pan2", 1, 0, 1, 0.01, " "),
    Double(kDryWetMix, "Mix", 50, 0, 100, 0.1, "%"),
    Enum(kDelayLengthQuarters1, "DlyQrt1", 4, List(kQuarterList)),
    Double(kDelayLengthFine1, "DlyFine1", 1, 0.5, 2, 0.01, " "),
    Enum(kDelayLengthQuarters2, "DlyQrt2", 4, List(kQuarterList)),
    Double(kDelayLengthFine2, "DlyFine2", 1, 0.5, 2, 0.01, " "),
    Double(kLfoShape1, "LfoShp1", 0, 0, 100, 1, "%"),
    Double(kLfoShape2, "LfoShp2", 0, 0, 100, 1, "%"),
    Double(kLfoRate1, "LfoRate1", 1, 0.01, 100, 0.01, "Hz"),
    Double(kLfoRate2, "LfoRate2", 1, 0.01, 100, 0.01, "Hz"),
    Double(kEnvAttack, "EnvAtk", 5, 1, 5000, 1, "ms", 2),
    Double(kEnvRelease, "EnvRel", 5, 1, 5000, 1, "ms", 2),
    Enum(kSoftClip, "SftClp", 1, List(kSoftClipList)),
    Double(kMaster1, "Master1", 100, 0, 100, 0.1, "%", 2),
    Double(kMaster2, "Master2", 100, 0, 100, 0.1, "%", 2),
    Double(kDelayFeedback1, "DlyFdb1", 0, 0, 100, 1, "%"),
    Double(kDelayFeedback2, "DlyFdb2", 0, 0, 100, 1, "%"),
    Double(kLfoPhase1, "LfoPhs1", 0, 0, 360, 1, kDegreeLabel),
    Double(kLfoPhase2, "LfoPhs2", 0, 0, 360, 1, kDegreeLabel),
    Enum(kControlRate, "CtrlRat", 3, List(kControlRateList)),
    Bool(kLfoReset, "LfoRst", 1),
    Bool(kMatrixTab, "Tab", 1),
};

// The six matrix families: slot n (1..12) of a family sits at
// firstIndex + 3 * (n - 1) and is named prefix + n.
struct FamilyRow {
  int firstIndex;
  const char* namePrefix;
  SingleRow shape;  // kind, default, range, step, label, texts
};

const FamilyRow kFamilyRows[] = {
    {kAudioIn1, "AudioIn", Enum(0, "", 0, List(kAudioSourceList))},
    {kAudioOut1, "AudioOut", Enum(0, "", 0, List(kAudioDestinationList))},
    {kAudioAmount1, "AudAmt", Double(0, "", 0, -100, 100, 1, "%")},
    {kModIn1, "ModIn", Enum(0, "", 0, List(kModSourceList))},
    {kModOut1, "ModOut", Enum(0, "", 0, List(kModTargetList))},
    {kModAmount1, "ModAmt", Double(0, "", 0, -100, 100, 1, "%")},
};

void Fill(ParameterDefinition& out, const SingleRow& row, const char* name) {
  out.kind = row.kind;
  std::snprintf(out.name, sizeof out.name, "%s", name);
  out.defaultValue = row.defaultValue;
  out.minimum = row.minimum;
  out.maximum = row.maximum;
  out.step = row.step;
  out.label = row.label;
  out.curveExponent = row.curveExponent;
  out.valueTexts = row.texts;
}

struct ExpandedTable {
  ParameterDefinition rows[kParameterCount];

  ExpandedTable() {
    for (const SingleRow& row : kSingleRows) Fill(rows[row.index], row, row.name);
    for (const FamilyRow& family : kFamilyRows) {
      for (int slot = 1; slot <= kMatrixSlots; ++slot) {
        char name[32];
        std::snprintf(name, sizeof name, "%s%d", family.namePrefix, slot);
        Fill(rows[family.firstIndex + 3 * (slot - 1)], family.shape, name);
      }
    }
  }
};

const ExpandedTable& Table() {
  static const ExpandedTable table;
  return table;
}

}  // namespace

static_assert(sizeof(kSingleRows) / sizeof(*kSingleRows) + 6 * kMatrixSlots == kParameterCount,
              "every parameter is defined exactly once");

const ParameterDefinition& ParameterDefinitionAt(int index) { return Table().rows[index]; }

void DefaultParameterValues(double (&values)[kParameterCount]) {
  for (int i = 0; i < kParameterCount; ++i) values[i] = Table().rows[i].defaultValue;
}
