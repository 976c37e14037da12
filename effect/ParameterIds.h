#pragma once

// Indices of Kestrel's 106 parameters. The order is part of every stored
// state (program and bank chunks hold the values in this order), so it never
// changes.
//
// The list is kept once, as an X-macro, so the index constants and the
// identifier table used by the preset dump cannot drift apart.
#define KESTREL_PARAMETER_IDS(X)                                                  \
  X(kGain)                                                                        \
  X(kAudioIn1) X(kAudioOut1) X(kAudioAmount1)                                     \
  X(kAudioIn2) X(kAudioOut2) X(kAudioAmount2)                                     \
  X(kAudioIn3) X(kAudioOut3) X(kAudioAmount3)                                     \
  X(kAudioIn4) X(kAudioOut4) X(kAudioAmount4)                                     \
  X(kAudioIn5) X(kAudioOut5) X(kAudioAmount5)                                     \
  X(kAudioIn6) X(kAudioOut6) X(kAudioAmount6)                                     \
  X(kAudioIn7) X(kAudioOut7) X(kAudioAmount7)                                     \
  X(kAudioIn8) X(kAudioOut8) X(kAudioAmount8)                                     \
  X(kAudioIn9) X(kAudioOut9) X(kAudioAmount9)                                     \
  X(kAudioIn10) X(kAudioOut10) X(kAudioAmount10)                                  \
  X(kAudioIn11) X(kAudioOut11) X(kAudioAmount11)                                  \
  X(kAudioIn12) X(kAudioOut12) X(kAudioAmount12)                                  \
  X(kCrusherBits1) X(kCrusherRate1) X(kCrusherBits2) X(kCrusherRate2)             \
  X(kFilterShape1) X(kFilterFreq1) X(kFilterRes1)                                 \
  X(kFilterShape2) X(kFilterFreq2) X(kFilterRes2)                                 \
  X(kPan1) X(kPan2) X(kDryWetMix)                                                 \
  X(kDelayLengthQuarters1) X(kDelayLengthFine1)                                   \
  X(kDelayLengthQuarters2) X(kDelayLengthFine2)                                   \
  X(kLfoShape1) X(kLfoShape2) X(kLfoRate1) X(kLfoRate2)                           \
  X(kEnvAttack) X(kEnvRelease) X(kSoftClip) X(kMaster1) X(kMaster2)               \
  X(kDelayFeedback1) X(kDelayFeedback2) X(kLfoPhase1) X(kLfoPhase2)               \
  X(kControlRate)                                                                 \
  X(kModIn1) X(kModOut1) X(kModAmount1)                                           \
  X(kModIn2) X(kModOut2) X(kModAmount2)                                           \
  X(kModIn3) X(kModOut3) X(kModAmount3)                                           \
  X(kModIn4) X(kModOut4) X(kModAmount4)                                           \
  X(kModIn5) X(kModOut5) X(kModAmount5)                                           \
  X(kModIn6) X(kModOut6) X(kModAmount6)                                           \
  X(kModIn7) X(kModOut7) X(kModAmount7)                                           \
  X(kModIn8) X(kModOut8) X(kModAmount8)                                           \
  X(kModIn9) X(kModOut9) X(kModAmount9)                                           \
  X(kModIn10) X(kModOut10) X(kModAmount10)                                        \
  X(kModIn11) X(kModOut11) X(kModAmount11)                                        \
  X(kModIn12) X(kModOut12) X(kModAmount12)                                        \
  X(kLfoReset) X(kMatrixTab)

enum KestrelParameter : int {
#define KESTREL_ENUM_ENTRY(id) id,
  KESTREL_PARAMETER_IDS(KESTREL_ENUM_ENTRY)
#undef KESTREL_ENUM_ENTRY
  kParameterCount
};

static_assert(kAudioAmount12 == 36 && kModIn1 == 68 && kModAmount12 == 103 &&
                  kMatrixTab == 105 && kParameterCount == 106,
              "the parameter index layout is fixed by stored states");

// Number of rows in each routing matrix (audio and modulation).
constexpr int kMatrixSlots = 12;

// Slot n (1..12) of each matrix family.
constexpr int AudioInIndex(int n) { return 3 * n - 2; }
constexpr int AudioOutIndex(int n) { return 3 * n - 1; }
constexpr int AudioAmountIndex(int n) { return 3 * n; }
constexpr int ModInIndex(int n) { return 65 + 3 * n; }
constexpr int ModOutIndex(int n) { return 66 + 3 * n; }
constexpr int ModAmountIndex(int n) { return 67 + 3 * n; }

// The identifiers above as texts, in index order ("kGain", "kAudioIn1", ...);
// they label the values in the preset dump.
extern const char* const kParameterIdentifiers[kParameterCount];
