// Program changes (with the edited-since-load rule), program names, and
// program and bank chunks including damaged ones.
#include <cstring>
#include <random>
#include <string>

#include "tests/vst/BindingFixture.h"

namespace {

// Slots 0..2 hold presets that differ from the defaults (gain 0, mode 0,
// active 1, mix 50), the rest are "-" at the defaults.
class ProgramsTest : public BindingTest {
 protected:
  void SetUp() override {
    TestEffectOptions options;
    options.chunks = chunks;
    Make(options);
    plugin->MakePresetFromNamedParams("Init", {{kTestGain, -6.0}, {kTestMix, 100.0}});
    plugin->MakePresetFromNamedParams("Hard", {{kTestGain, -3.0}, {kTestMode, 1}});
    plugin->MakePresetFromNamedParams("empty", {{kTestGain, -1.0}});
    plugin->FillEmptyPresets("-", 8);
  }
  void SetGainFromHost(double dB) {
    const IParameter* gain = plugin->Parameter(kTestGain);
    effect->setParameter(effect, kTestGain, static_cast<float>(gain->NormalisedOf(dB)));
  }
  bool chunks = false;
};

class ProgramsWithChunksTest : public ProgramsTest {
 protected:
  void SetUp() override {
    chunks = true;
    ProgramsTest::SetUp();
  }
};

int32_t Int32At(const uint8_t* p) {
  return static_cast<int32_t>(p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24);
}

double DoubleAt(const uint8_t* p) {
  uint64_t bits = 0;
  for (int i = 7; i >= 0; --i) bits = bits << 8 | p[i];
  double v;
  std::memcpy(&v, &bits, sizeof v);
  return v;
}

std::vector<uint8_t> Bytes(const void* data, VstIntPtr size) {
  const auto* p = static_cast<const uint8_t*>(data);
  return std::vector<uint8_t>(p, p + size);
}

}  // namespace

TEST_F(ProgramsTest, TheFirstProgramChangeKeepsTheFactoryProgram) {
  ASSERT_EQ(Dispatch(effGetProgram), 0);
  ASSERT_EQ(Value(kTestGain), 0.0) << "construction leaves the defaults live";
  EXPECT_FALSE(plugin->EditedSinceLoad());
  Dispatch(effSetProgram, 0, 1);
  EXPECT_EQ(SlotValues(0), (std::vector<double>{-6.0, 0.0, 1.0, 100.0})) << "Init is not overwritten";
  Dispatch(effSetProgram, 0, 0);
  EXPECT_EQ(Value(kTestGain), -6.0);
  EXPECT_EQ(Value(kTestMix), 100.0);
}

TEST_F(ProgramsTest, SelectingTheCurrentProgramFirstLoadsIt) {
  Dispatch(effSetProgram, 0, 0);
  EXPECT_EQ(Value(kTestGain), -6.0);
  EXPECT_EQ(Dispatch(effGetProgram), 0);
}

TEST_F(ProgramsTest, EditsFromTheHostAreStoredIntoTheProgramBeingLeft) {
  Dispatch(effSetProgram, 0, 1);
  SetGainFromHost(-20.0);
  EXPECT_TRUE(plugin->EditedSinceLoad());
  Dispatch(effSetProgram, 0, 2);
  EXPECT_FALSE(plugin->EditedSinceLoad());
  EXPECT_NEAR(SlotValues(1)[kTestGain], -20.0, 1e-4);
  EXPECT_EQ(Value(kTestGain), -1.0);
  Dispatch(effSetProgram, 0, 1);
  EXPECT_NEAR(Value(kTestGain), -20.0, 1e-4);
}

TEST_F(ProgramsTest, TextEntryAndEditorEditsCountAsEdits) {
  Dispatch(effSetProgram, 0, 1);
  char text[] = "off";
  Dispatch(effString2Parameter, kTestMode, 0, text);
  Dispatch(effSetProgram, 0, 2);
  EXPECT_EQ(SlotValues(1)[kTestMode], 2.0);

  plugin->SetParameterFromGUI(kTestMix, 0.25);
  EXPECT_TRUE(plugin->EditedSinceLoad());
  Dispatch(effSetProgram, 0, 0);
  EXPECT_EQ(SlotValues(2)[kTestMix], 25.0);
}

TEST_F(ProgramsTest, AnIndexBeyondTheSlotsStoresEditsAndKeepsTheCurrentProgram) {
  Dispatch(effSetProgram, 0, 1);
  SetGainFromHost(-30.0);
  Dispatch(effSetProgram, 0, 8);
  EXPECT_EQ(Dispatch(effGetProgram), 1);
  EXPECT_NEAR(SlotValues(1)[kTestGain], -30.0, 1e-4);
  Dispatch(effSetProgram, 0, -1);
  EXPECT_EQ(Dispatch(effGetProgram), 1);
}

TEST_F(ProgramsTest, UnknownIndexWithoutEditsStoresNothing) {
  Dispatch(effSetProgram, 0, 99);
  EXPECT_EQ(Dispatch(effGetProgram), 0);
  EXPECT_EQ(SlotValues(0)[kTestGain], -6.0);
}

TEST_F(ProgramsWithChunksTest, AnEffectWithStateChunksNeverStoresOnAProgramChange) {
  Dispatch(effSetProgram, 0, 1);
  SetGainFromHost(-20.0);
  Dispatch(effSetProgram, 0, 2);
  EXPECT_EQ(SlotValues(1)[kTestGain], -3.0);
}

TEST_F(ProgramsTest, RenamingStoresTheCurrentValuesUnderTheNewName) {
  Dispatch(effSetProgram, 0, 1);
  SetGainFromHost(-40.0);
  plugin->presetListEdits = 0;
  char name[] = "Renamed";
  EXPECT_EQ(Dispatch(effSetProgramName, 0, 0, name), 0);
  EXPECT_STREQ(plugin->PresetName(1), "Renamed");
  EXPECT_NEAR(SlotValues(1)[kTestGain], -40.0, 1e-4);
  EXPECT_EQ(plugin->presetListEdits, 1);
  EXPECT_FALSE(plugin->EditedSinceLoad());
  EXPECT_EQ(Dispatch(effSetProgramName, 0, 0, nullptr), 0);
  EXPECT_EQ(plugin->presetListEdits, 1);

  char current[256];
  Dispatch(effGetProgramName, 0, 0, current);
  EXPECT_STREQ(current, "Renamed");
  EXPECT_EQ(Dispatch(effGetProgramName, 0, 0, nullptr), 0);
}

TEST_F(ProgramsTest, IndexedProgramNames) {
  char name[256] = "stale";
  EXPECT_EQ(Dispatch(effGetProgramNameIndexed, 1, 0, name), 1);
  EXPECT_STREQ(name, "Hard");
  EXPECT_EQ(Dispatch(effGetProgramNameIndexed, 2, 5, name), 1) << "a slot named empty is still a name";
  EXPECT_STREQ(name, "empty");
  EXPECT_EQ(Dispatch(effGetProgramNameIndexed, 8, 0, name), 0);
  EXPECT_STREQ(name, "");
  EXPECT_EQ(Dispatch(effGetProgramNameIndexed, -1, 0, name), 0);
  EXPECT_EQ(Dispatch(effGetProgramNameIndexed, 0, 0, nullptr), 0);
}

// ---- Chunks -----------------------------------------------------------------------------

TEST_F(ProgramsTest, ProgramChunkIsHeaderAndTheValues) {
  void* data = nullptr;
  const VstIntPtr size = Dispatch(effGetChunk, 1, 0, &data);
  ASSERT_EQ(size, 8 + 4 * 8);
  const auto* bytes = static_cast<const uint8_t*>(data);
  EXPECT_EQ(std::vector<uint8_t>(bytes, bytes + 8), (std::vector<uint8_t>{0x74, 0x66, 0x66, 0x70, 0, 0, 1, 0}));
  EXPECT_EQ(DoubleAt(bytes + 8), 0.0);
  EXPECT_EQ(DoubleAt(bytes + 16), 0.0);
  EXPECT_EQ(DoubleAt(bytes + 24), 1.0);
  EXPECT_EQ(DoubleAt(bytes + 32), 50.0);
  EXPECT_EQ(Dispatch(effGetChunk, 1, 0, nullptr), 0);
}

TEST_F(ProgramsTest, BankChunkHoldsEverySlotsNameFlagAndValues) {
  void* data = nullptr;
  const VstIntPtr size = Dispatch(effGetChunk, 0, 0, &data);
  const auto* p = static_cast<const uint8_t*>(data);
  ASSERT_GE(size, 8);
  EXPECT_EQ(Int32At(p), 0x70666674);
  EXPECT_EQ(Int32At(p + 4), 0x00010000);
  VstIntPtr pos = 8;
  for (int slot = 0; slot < 8; ++slot) {
    ASSERT_LE(pos + 4, size);
    const int32_t length = Int32At(p + pos);
    const std::string name(reinterpret_cast<const char*>(p + pos + 4), static_cast<size_t>(length));
    EXPECT_EQ(name, plugin->PresetName(slot));
    pos += 4 + length;
    EXPECT_EQ(p[pos], 1) << slot;
    pos += 1 + 4 * 8;
  }
  EXPECT_EQ(pos, size);
  // Slot 2 ("empty") stores -1 dB.
  EXPECT_EQ(DoubleAt(p + 8 + 41 + 41 + 4 + 5 + 1), -1.0);
}

TEST_F(ProgramsTest, BankChunkStoresEditsIntoTheCurrentSlotButNotTheDefaultsAfterConstruction) {
  void* data = nullptr;
  Dispatch(effGetChunk, 0, 0, &data);
  EXPECT_EQ(SlotValues(0)[kTestGain], -6.0) << "unedited defaults are not saved as Init";
  SetGainFromHost(-50.0);
  Dispatch(effGetChunk, 0, 0, &data);
  EXPECT_NEAR(SlotValues(0)[kTestGain], -50.0, 1e-4);
}

TEST_F(ProgramsTest, ProgramChunkRoundTrip) {
  Dispatch(effSetProgram, 0, 1);
  void* data = nullptr;
  const VstIntPtr size = Dispatch(effGetChunk, 1, 0, &data);
  const std::vector<uint8_t> saved = Bytes(data, size);
  Dispatch(effSetProgram, 0, 0);
  SetGainFromHost(-70.0);
  plugin->EditorChanges();
  EXPECT_EQ(Dispatch(effSetChunk, 1, size, const_cast<uint8_t*>(saved.data())), 1);
  EXPECT_EQ(Value(kTestGain), -3.0);
  EXPECT_EQ(Value(kTestMode), 1.0);
  EXPECT_EQ(SlotValues(0)[kTestGain], -3.0) << "a loaded program becomes the current slot's content";
  EXPECT_FALSE(plugin->EditedSinceLoad());
  EXPECT_EQ(plugin->EditorChanges().size(), 4u) << "the editor shows every value again";
}

TEST_F(ProgramsTest, BankChunkRoundTripRestoresNamesAndValues) {
  void* data = nullptr;
  const VstIntPtr size = Dispatch(effGetChunk, 0, 0, &data);
  const std::vector<uint8_t> saved = Bytes(data, size);
  Dispatch(effSetProgram, 0, 1);
  char name[] = "Changed";
  SetGainFromHost(-33.0);
  Dispatch(effSetProgramName, 0, 0, name);
  Dispatch(effSetProgram, 0, 0);
  EXPECT_EQ(Dispatch(effSetChunk, 0, size, const_cast<uint8_t*>(saved.data())), 1);
  EXPECT_STREQ(plugin->PresetName(1), "Hard");
  EXPECT_EQ(SlotValues(1)[kTestGain], -3.0);
  EXPECT_EQ(Value(kTestGain), -6.0) << "the current slot (0) is applied again";
}

TEST_F(ProgramsTest, HostMayHandBackTheChunkBufferItWasGiven) {
  Dispatch(effSetProgram, 0, 1);
  void* program = nullptr;
  const VstIntPtr programSize = Dispatch(effGetChunk, 1, 0, &program);
  void* bank = nullptr;
  const VstIntPtr bankSize = Dispatch(effGetChunk, 0, 0, &bank);
  SetGainFromHost(-70.0);
  // The plug-in's own buffers come back as the data to load, once with
  // their exact size and once claiming more than they hold.
  EXPECT_EQ(Dispatch(effSetChunk, 1, programSize, program), 1);
  EXPECT_EQ(Value(kTestGain), -3.0);
  SetGainFromHost(-70.0);
  EXPECT_EQ(Dispatch(effSetChunk, 0, bankSize, bank), 1);
  EXPECT_STREQ(plugin->PresetName(1), "Hard");
  EXPECT_EQ(Value(kTestGain), -3.0) << "the current slot (1) is applied again";
  Dispatch(effGetChunk, 1, 0, &program);
  SetGainFromHost(-70.0);
  EXPECT_EQ(Dispatch(effSetChunk, 1, programSize + 4096, program), 1);
  EXPECT_EQ(Value(kTestGain), -3.0);
}

TEST_F(ProgramsTest, ChunkPointersStayValidUntilTheNextRequestOfTheSameKind) {
  void* program = nullptr;
  void* bank = nullptr;
  const VstIntPtr programSize = Dispatch(effGetChunk, 1, 0, &program);
  const std::vector<uint8_t> before = Bytes(program, programSize);
  Dispatch(effGetChunk, 0, 0, &bank);
  EXPECT_NE(program, bank);
  EXPECT_EQ(Bytes(program, programSize), before);
}

// A chunk that cannot be read whole changes nothing: values, slots, the
// current program and whether it was edited.
TEST_F(ProgramsTest, ShortChunksFailAndChangeNothing) {
  Dispatch(effSetProgram, 0, 1);
  SetGainFromHost(-20.0);  // an unsaved edit
  plugin->Applied();
  void* data = nullptr;
  const std::vector<uint8_t> program = Bytes(data, Dispatch(effGetChunk, 1, 0, &data));
  const std::vector<uint8_t> bank = Bytes(data, Dispatch(effGetChunk, 0, 0, &data));
  SetGainFromHost(-20.0);
  plugin->Applied();
  for (const auto& [isBank, size] : {std::pair{false, 3}, std::pair{true, 12}, std::pair{false, 8 + 8},
                                     std::pair{true, 8 + 4 + 4 + 1 + 8}}) {
    std::vector<uint8_t> cut = isBank ? bank : program;
    cut.resize(static_cast<size_t>(size));
    EXPECT_EQ(Dispatch(effSetChunk, isBank ? 0 : 1, size, cut.data()), 0) << size;
    EXPECT_NEAR(Value(kTestGain), -20.0, 1e-3) << size;
    EXPECT_EQ(Value(kTestMode), 1.0) << size;
    EXPECT_NEAR(SlotValues(1)[kTestGain], -20.0, 1e-3) << size;  // stored by the bank save
    EXPECT_EQ(SlotValues(0)[kTestGain], -6.0) << size;
    EXPECT_STREQ(plugin->PresetName(0), "Init") << size;
    EXPECT_EQ(plugin->CurrentPreset(), 1);
    EXPECT_TRUE(plugin->EditedSinceLoad()) << size;
    EXPECT_TRUE(plugin->Applied().empty()) << size;
  }
}

TEST_F(ProgramsTest, ABankWithAnOlderVersionIsReadAsProgramState) {
  std::vector<uint8_t> chunk = {0x74, 0x66, 0x66, 0x70, 0xFF, 0xFF, 0x00, 0x00};
  for (double v : {-9.0, 2.0, 0.0, 10.0}) {
    uint8_t bytes[8];
    std::memcpy(bytes, &v, 8);
    chunk.insert(chunk.end(), bytes, bytes + 8);
  }
  EXPECT_EQ(Dispatch(effSetChunk, 0, static_cast<VstIntPtr>(chunk.size()), chunk.data()), 1);
  EXPECT_EQ(Value(kTestGain), -9.0);
  EXPECT_EQ(Value(kTestMode), 2.0);
  EXPECT_EQ(Value(kTestMix), 10.0);
  EXPECT_STREQ(plugin->PresetName(0), "Init") << "slot names untouched";
}

TEST_F(ProgramsTest, AHeaderlessProgramChunkIsReadFromTheStart) {
  std::vector<uint8_t> chunk;
  for (double v : {-9.0, 2.0, 0.0, 1000.0}) {
    uint8_t bytes[8];
    std::memcpy(bytes, &v, 8);
    chunk.insert(chunk.end(), bytes, bytes + 8);
  }
  EXPECT_EQ(Dispatch(effSetChunk, 1, static_cast<VstIntPtr>(chunk.size()), chunk.data()), 1);
  EXPECT_EQ(Value(kTestGain), -9.0);
  EXPECT_EQ(Value(kTestMix), 100.0) << "limited to the range";
}

TEST_F(ProgramsTest, MissingDataNegativeOrAbsurdSizesAreRefusedUntouched) {
  plugin->changed.clear();
  uint8_t data[16] = {};
  EXPECT_EQ(Dispatch(effSetChunk, 1, 16, nullptr), 0);
  EXPECT_EQ(Dispatch(effSetChunk, 1, -1, data), 0);
  EXPECT_EQ(Dispatch(effSetChunk, 0, IVstBinding::kMaxChunkBytes + 1, data), 0);
  EXPECT_TRUE(plugin->changed.empty());
  EXPECT_EQ(Value(kTestActive), 1.0);
}

TEST_F(ProgramsTest, AMagicWithoutVersionFails) {
  uint8_t chunk[6] = {0x74, 0x66, 0x66, 0x70, 0, 0};
  EXPECT_EQ(Dispatch(effSetChunk, 1, 6, chunk), 0);
  EXPECT_EQ(Dispatch(effSetChunk, 0, 6, chunk), 0);
  EXPECT_EQ(Value(kTestActive), 1.0);
}

TEST_F(ProgramsTest, RandomChunksNeverBreakTheState) {
  std::mt19937 random(20261207);
  void* data = nullptr;
  const VstIntPtr bankSize = Dispatch(effGetChunk, 0, 0, &data);
  const std::vector<uint8_t> bank = Bytes(data, bankSize);
  for (int round = 0; round < 3000; ++round) {
    std::vector<uint8_t> chunk;
    switch (round % 3) {
      case 0:  // pure noise
        chunk.resize(random() % 600);
        for (auto& b : chunk) b = static_cast<uint8_t>(random());
        break;
      case 1:  // a real bank, cut short and with flipped bytes
        chunk.assign(bank.begin(), bank.begin() + static_cast<long>(random() % bank.size()));
        for (int flips = random() % 4; flips > 0 && !chunk.empty(); --flips)
          chunk[random() % chunk.size()] = static_cast<uint8_t>(random());
        break;
      default:  // a valid header followed by noise
        chunk = {0x74, 0x66, 0x66, 0x70, 0, 0, 1, 0};
        for (int n = random() % 300; n > 0; --n) chunk.push_back(static_cast<uint8_t>(random()));
        break;
    }
    const VstIntPtr result =
        Dispatch(effSetChunk, round % 2, static_cast<VstIntPtr>(chunk.size()),
                 chunk.empty() ? const_cast<uint8_t*>(bank.data()) : chunk.data());
    ASSERT_TRUE(result == 0 || result == 1);
    for (int i = 0; i < 4; ++i) {
      const IParameter* p = plugin->Parameter(i);
      ASSERT_GE(p->Value(), p->Minimum()) << round;
      ASSERT_LE(p->Value(), p->Maximum()) << round;
    }
    for (int slot = 0; slot < 8; ++slot) ASSERT_LT(std::strlen(plugin->PresetName(slot)), 256u);
  }
  // After all that a real bank still loads whole.
  EXPECT_EQ(Dispatch(effSetChunk, 0, bankSize, const_cast<uint8_t*>(bank.data())), 1);
  EXPECT_STREQ(plugin->PresetName(1), "Hard");
}
