// Brume loaded from its file and driven as a DAW drives it: entry points,
// the effect record, names, parameter texts, programs, chunks, automation,
// MIDI, audio in every precision, time requests, host identification and
// instances created from two threads.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "tests/vst/HostTextBuffer.h"
#include "tests/vst/PluginFile.h"
#include "tests/vst/RecordingHost.h"

namespace {

constexpr int kParams = 106;
// Indices used below (the parameter table fixes them).
constexpr int kGain = 0, kAudioIn1 = 1, kAudioOut1 = 2, kAudioAmount1 = 3, kFilterFreq1 = 42, kFilterRes1 = 43,
              kPan1 = 47, kDryWetMix = 49, kLfoPhase1 = 65, kSoftClip = 60, kControlRate = 67, kModIn1 = 68,
              kModOut1 = 69, kModAmount1 = 70, kMatrixTab = 105;

const char* const kFactoryNames[20] = {
    "Init",        "lofi nofi",   "wawawah",     "HP Sweep",       "Vari Trem",  "sliced ",     "Walking Delay",
    "loose pan",   "filter env1", "hmmg",        "filter env2",    "libr",       "autopan",     "pitch screw",
    "crush modd",  "filter env3", "cross delay", "filtered delay", "hp delay",   "crushed delay"};

class PluginHostTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(file.Loaded()) << file.Error();
    ASSERT_NE(file.Main(), nullptr);
    effect = file.Main()(&RecordingHost::Callback);
    ASSERT_NE(effect, nullptr);
  }
  void TearDown() override {
    if (effect) Dispatch(effect, effClose);
  }
  // A host's start-up sequence.
  void Start(int block = 512, float rate = 44100.0f) {
    Dispatch(effect, effOpen);
    Dispatch(effect, effSetSampleRate, 0, 0, nullptr, rate);
    Dispatch(effect, effSetBlockSize, 0, block);
    Dispatch(effect, effMainsChanged, 0, 1);
  }
  std::string Text(VstInt32 opcode, VstInt32 index = 0) {
    char text[256];
    std::memset(text, 0, sizeof text);
    Dispatch(effect, opcode, index, 0, text);
    return text;
  }
  VstIntPtr Enter(int index, const char* text) {
    std::string copy = text;
    return Dispatch(effect, effString2Parameter, index, 0, copy.data());
  }
  std::vector<uint8_t> Chunk(bool bank) {
    void* data = nullptr;
    const VstIntPtr size = Dispatch(effect, effGetChunk, bank ? 0 : 1, 0, &data);
    const auto* bytes = static_cast<const uint8_t*>(data);
    return size > 0 ? std::vector<uint8_t>(bytes, bytes + size) : std::vector<uint8_t>();
  }
  std::vector<float> Parameters() {
    std::vector<float> values;
    for (int i = 0; i < kParams; ++i) values.push_back(effect->getParameter(effect, i));
    return values;
  }

  PluginFile file;
  RecordingHost host;
  AEffect* effect = nullptr;
};

int32_t Int32At(const std::vector<uint8_t>& b, size_t p) {
  return static_cast<int32_t>(b[p] | b[p + 1] << 8 | b[p + 2] << 16 | static_cast<uint32_t>(b[p + 3]) << 24);
}

}  // namespace

TEST_F(PluginHostTest, BothEntryPointsCreateAnInstance) {
  VstEntry legacy = file.Entry("main");
  ASSERT_NE(legacy, nullptr);
  AEffect* second = legacy(&RecordingHost::Callback);
  ASSERT_NE(second, nullptr);
  EXPECT_NE(second, effect);
  EXPECT_EQ(second->magic, kEffectMagic);
  Dispatch(second, effClose);
}

TEST_F(PluginHostTest, EffectRecord) {
  EXPECT_EQ(effect->magic, 0x56737450);
  EXPECT_EQ(effect->numParams, 106);
  EXPECT_EQ(effect->numPrograms, 128);
  EXPECT_EQ(effect->numInputs, 2);
  EXPECT_EQ(effect->numOutputs, 2);
  EXPECT_EQ(effect->initialDelay, 0);
  EXPECT_EQ(effect->uniqueID, 0x6D706541);
  EXPECT_EQ(effect->version, 10000);
  EXPECT_EQ(effect->ioRatio, 1.0f);
  EXPECT_NE(effect->object, nullptr);
  // 0x1019 once the editor view is attached; without an editor in this
  // build the editor flag is simply absent.
  EXPECT_EQ(effect->flags | effFlagsHasEditor, 0x1019);
  EXPECT_TRUE(host.Calls().empty()) << "creation asks the host nothing";
}

TEST_F(PluginHostTest, NamesCapabilitiesAndPins) {
  Start();
  EXPECT_EQ(Text(effGetEffectName), "Brume");
  EXPECT_EQ(Text(effGetVendorString), "Orvendale");
  EXPECT_EQ(Text(effGetProductString), "");
  EXPECT_EQ(Dispatch(effect, effGetPlugCategory), kPlugCategEffect);
  EXPECT_EQ(Dispatch(effect, effGetVstVersion), 2400);
  std::string midi = "sendVstMidiEvent", time = "receiveVstTimeInfo", longer = "receiveVstTimeInfoo";
  EXPECT_EQ(Dispatch(effect, effCanDo, 0, 0, midi.data()), 1);
  EXPECT_EQ(Dispatch(effect, effCanDo, 0, 0, time.data()), 1);
  EXPECT_EQ(Dispatch(effect, effCanDo, 0, 0, longer.data()), 0);
  VstPinProperties pin{};
  EXPECT_EQ(Dispatch(effect, effGetInputProperties, 0, 0, &pin), 1);
  EXPECT_STREQ(pin.label, "Input 1");
  EXPECT_EQ(pin.flags, 3);
  EXPECT_EQ(Dispatch(effect, effGetOutputProperties, 1, 0, &pin), 1);
  EXPECT_STREQ(pin.label, "Output 2");
  EXPECT_EQ(pin.flags, 1);
  EXPECT_EQ(Dispatch(effect, effGetInputProperties, 2, 0, &pin), 0);
}

TEST_F(PluginHostTest, ParameterNamesLabelsAndTexts) {
  Start();
  EXPECT_EQ(Text(effGetParamName, kGain), "Gain");
  EXPECT_EQ(Text(effGetParamLabel, kGain), "dB");
  EXPECT_EQ(Text(effGetParamDisplay, kGain), "0.0");
  EXPECT_EQ(Text(effGetParamName, kFilterRes1), "fltQ1");
  EXPECT_EQ(Text(effGetParamName, 29), "AudioOut10") << "whole name, not eight characters";
  EXPECT_EQ(Text(effGetParamLabel, kPan1), " ");
#ifdef _WIN32
  EXPECT_EQ(Text(effGetParamLabel, kLfoPhase1), "\xB0");  // the system code page
#else
  EXPECT_EQ(Text(effGetParamLabel, kLfoPhase1), "\xC2\xB0");  // UTF-8
#endif
  EXPECT_EQ(Text(effGetParamDisplay, kFilterFreq1), "1000");
  EXPECT_EQ(Text(effGetParamDisplay, kSoftClip), "soft clip on");
  EXPECT_EQ(Text(effGetParamDisplay, kControlRate), "Control Rate: 16");
  EXPECT_EQ(Text(effGetParamDisplay, kAudioIn1), "...");
  EXPECT_EQ(Text(effGetParamDisplay, kMatrixTab), "on");
  EXPECT_EQ(Text(effGetParamName, 106), "");
}

// Every text of every parameter, and a renamed program, into buffers of
// exactly the size hosts give: whole where it fits, never past the end.
TEST_F(PluginHostTest, TextsFitTheBuffersHostsSizeForThem) {
  Start();
  const struct {
    VstInt32 opcode;
    int length;
  } kTexts[] = {{effGetParamName, 16}, {effGetParamLabel, 8}, {effGetParamDisplay, 24}};
  for (const auto& t : kTexts) {
    for (int index = 0; index < kParams; ++index) {
      HostTextBuffer buffer(t.length);
      Dispatch(effect, t.opcode, index, 0, buffer.Data());
      EXPECT_TRUE(buffer.GuardIntact()) << t.opcode << " index " << index;
      EXPECT_EQ(buffer.Text(), Text(t.opcode, index));
    }
  }
  std::string longName(300, 'p');
  Dispatch(effect, effSetProgramName, 0, 0, longName.data());
  HostTextBuffer current(24), indexed(24);
  Dispatch(effect, effGetProgramName, 0, 0, current.Data());
  EXPECT_EQ(Dispatch(effect, effGetProgramNameIndexed, 0, 0, indexed.Data()), 1);
  EXPECT_TRUE(current.GuardIntact() && indexed.GuardIntact());
  EXPECT_EQ(current.Text(), std::string(24, 'p'));
  EXPECT_EQ(indexed.Text(), std::string(24, 'p'));
  const std::vector<uint8_t> bank = Chunk(true);
  const std::string kept(255, 'p');
  EXPECT_NE(std::search(bank.begin(), bank.end(), kept.begin(), kept.end()), bank.end()) << "saved whole";
}

TEST_F(PluginHostTest, TextEntrySetsValuesByTextOrNumber) {
  Start();
  EXPECT_EQ(Enter(kAudioIn1, "Delay 2"), 1);
  EXPECT_EQ(Text(effGetParamDisplay, kAudioIn1), "Delay 2");
  EXPECT_EQ(Enter(kAudioIn1, "Delay 9"), 0);
  EXPECT_EQ(Text(effGetParamDisplay, kAudioIn1), "Delay 2");
  EXPECT_EQ(Enter(kGain, "-12.5"), 1);
  EXPECT_EQ(Text(effGetParamDisplay, kGain), "-12.5");
}

TEST_F(PluginHostTest, ProgramNamesAreTheFactoryPresetsThenPlaceholders) {
  for (int i = 0; i < 128; ++i) {
    char name[256] = "stale";
    EXPECT_EQ(Dispatch(effect, effGetProgramNameIndexed, i, 0, name), 1) << i;
    EXPECT_STREQ(name, i < 20 ? kFactoryNames[i] : "-") << i;
  }
  char name[256] = "stale";
  EXPECT_EQ(Dispatch(effect, effGetProgramNameIndexed, 128, 0, name), 0);
  EXPECT_STREQ(name, "");
  EXPECT_EQ(Text(effGetProgramName), "Init");
}

TEST_F(PluginHostTest, SelectingInitFirstGivesInitNotTheDefaults) {
  Start();
  EXPECT_EQ(Text(effGetParamDisplay, kDryWetMix), "50.0");
  Dispatch(effect, effSetProgram, 0, 0);
  EXPECT_EQ(Text(effGetParamDisplay, kFilterFreq1), "409");
  EXPECT_EQ(Text(effGetParamDisplay, kDryWetMix), "100.0");
  EXPECT_EQ(Text(effGetParamDisplay, kAudioIn1), "In 1");
}

TEST_F(PluginHostTest, AFirstProgramChangeDoesNotOverwriteInit) {
  Start();
  Dispatch(effect, effSetProgram, 0, 4);
  EXPECT_EQ(Dispatch(effect, effGetProgram), 4);
  EXPECT_EQ(Text(effGetProgramName), "Vari Trem");
  Dispatch(effect, effSetProgram, 0, 0);
  EXPECT_EQ(Text(effGetParamDisplay, kFilterFreq1), "409");
}

TEST_F(PluginHostTest, EditsTravelWithTheProgramTheyWereMadeIn) {
  Start();
  Dispatch(effect, effSetProgram, 0, 2);
  Enter(kGain, "-24");
  Dispatch(effect, effSetProgram, 0, 3);
  EXPECT_EQ(Text(effGetParamDisplay, kGain), "0.0");
  Dispatch(effect, effSetProgram, 0, 2);
  EXPECT_EQ(Text(effGetParamDisplay, kGain), "-24.0");
}

TEST_F(PluginHostTest, ProgramChunkIs856BytesAndRoundTrips) {
  Start();
  Dispatch(effect, effSetProgram, 0, 9);  // "hmmg"
  const std::vector<uint8_t> chunk = Chunk(false);
  ASSERT_EQ(chunk.size(), 856u);
  EXPECT_EQ(std::vector<uint8_t>(chunk.begin(), chunk.begin() + 8),
            (std::vector<uint8_t>{0x74, 0x66, 0x66, 0x70, 0x00, 0x00, 0x01, 0x00}));
  const std::vector<float> saved = Parameters();
  Dispatch(effect, effSetProgram, 0, 0);
  ASSERT_NE(Parameters(), saved);
  EXPECT_EQ(Dispatch(effect, effSetChunk, 1, static_cast<VstIntPtr>(chunk.size()),
                     const_cast<uint8_t*>(chunk.data())),
            1);
  EXPECT_EQ(Parameters(), saved);
}

TEST_F(PluginHostTest, BankChunkLayoutAndRoundTrip) {
  Start();
  const std::vector<uint8_t> bank = Chunk(true);
  ASSERT_GE(bank.size(), 8u);
  EXPECT_EQ(Int32At(bank, 0), 0x70666674);
  EXPECT_EQ(Int32At(bank, 4), 0x00010000);
  size_t pos = 8;
  for (int slot = 0; slot < 128; ++slot) {
    ASSERT_LE(pos + 4, bank.size());
    const int32_t length = Int32At(bank, pos);
    ASSERT_GT(length, 0);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&bank[pos + 4]), length),
              slot < 20 ? kFactoryNames[slot] : "-");
    pos += 4 + static_cast<size_t>(length);
    EXPECT_EQ(bank[pos], 1);
    pos += 1 + 848;
  }
  EXPECT_EQ(pos, bank.size());

  // Rename and edit a program, then restore the bank.
  Dispatch(effect, effSetProgram, 0, 5);
  Enter(kGain, "-30");
  char name[] = "mine";
  Dispatch(effect, effSetProgramName, 0, 0, name);
  EXPECT_EQ(Dispatch(effect, effSetChunk, 0, static_cast<VstIntPtr>(bank.size()), const_cast<uint8_t*>(bank.data())),
            1);
  EXPECT_EQ(Text(effGetProgramName), "sliced ");
  EXPECT_EQ(Text(effGetParamDisplay, kGain), "0.0");
  EXPECT_EQ(Chunk(true), bank);
}

TEST_F(PluginHostTest, DamagedChunksFailWithoutHarm) {
  Start();
  uint8_t three[3] = {9, 9, 9};
  EXPECT_EQ(Dispatch(effect, effSetChunk, 1, 3, three), 0);
  EXPECT_EQ(Dispatch(effect, effSetChunk, 0, 3, three), 0);
  EXPECT_EQ(Dispatch(effect, effSetChunk, 1, -5, three), 0);
  EXPECT_EQ(Dispatch(effect, effSetChunk, 0, 100, nullptr), 0);
  std::vector<uint8_t> bank = Chunk(true);
  bank.resize(bank.size() / 2);
  EXPECT_EQ(Dispatch(effect, effSetChunk, 0, static_cast<VstIntPtr>(bank.size()), bank.data()), 0);
  for (float v : Parameters()) EXPECT_TRUE(v >= 0.0f && v <= 1.0f);
}

TEST_F(PluginHostTest, AutomationFromTheHostRoundTrips) {
  Start();
  effect->setParameter(effect, kDryWetMix, 0.25f);
  EXPECT_FLOAT_EQ(effect->getParameter(effect, kDryWetMix), 0.25f);
  EXPECT_EQ(Text(effGetParamDisplay, kDryWetMix), "25.0");
  effect->setParameter(effect, kAudioOut1, 0.5f);  // enum 0..10: 5 "Filter 1"
  EXPECT_EQ(Text(effGetParamDisplay, kAudioOut1), "Filter 1");
  EXPECT_FLOAT_EQ(effect->getParameter(effect, kAudioOut1), 0.5f);
  EXPECT_EQ(effect->getParameter(effect, -1), 0.0f);
  EXPECT_EQ(effect->getParameter(effect, 106), 0.0f);
  EXPECT_EQ(host.Count(audioMasterAutomate), 0);
}

// ---- Audio ----------------------------------------------------------------------

namespace {
template <typename T>
struct Stereo {
  Stereo(int frames, T in, T out) : inL(frames, in), inR(frames, in), outL(frames, out), outR(frames, out) {}
  std::vector<T> inL, inR, outL, outR;
  T* ins[2] = {inL.data(), inR.data()};
  T* outs[2] = {outL.data(), outR.data()};
};
}  // namespace

TEST_F(PluginHostTest, DefaultsGiveHalfTheDryInputInEveryPrecisionAndMode) {
  Start(256);
  Stereo<float> replacing(256, 0.5f, 9.0f), adding(256, 0.5f, 0.25f);
  Stereo<double> twice(256, 0.5, 9.0);
  effect->processReplacing(effect, replacing.ins, replacing.outs, 256);
  effect->process(effect, adding.ins, adding.outs, 256);
  effect->processDoubleReplacing(effect, twice.ins, twice.outs, 256);
  for (int i = 0; i < 256; ++i) {
    ASSERT_FLOAT_EQ(replacing.outL[i], 0.25f) << i;
    ASSERT_FLOAT_EQ(replacing.outR[i], 0.25f) << i;
    ASSERT_FLOAT_EQ(adding.outL[i], 0.5f) << i;
    ASSERT_DOUBLE_EQ(twice.outR[i], 0.25) << i;
  }
}

TEST_F(PluginHostTest, EveryBlockAsksForMidiAndTheTimeOnce) {
  Start(128);
  host.Clear();
  Stereo<float> buffers(128, 0.1f, 0.0f);
  for (int block = 0; block < 5; ++block) effect->processReplacing(effect, buffers.ins, buffers.outs, 128);
  EXPECT_EQ(host.Count(audioMasterGetTime), 5);
  EXPECT_EQ(host.Count(audioMasterWantMidi), 5);
}

TEST_F(PluginHostTest, InitFiltersTheSignalAndLongBlocksAreProcessedWhole) {
  Start(64);
  Dispatch(effect, effSetProgram, 0, 0);
  const int frames = 1000;  // longer than the announced block size
  Stereo<double> noise(frames, 0.0, 7.0);
  uint32_t seed = 1;
  for (int i = 0; i < frames; ++i) {
    seed = seed * 1664525u + 1013904223u;
    noise.inL[i] = noise.inR[i] = static_cast<double>(seed >> 8) / 16777216.0 - 0.5;
  }
  effect->processDoubleReplacing(effect, noise.ins, noise.outs, frames);
  double difference = 0.0, energy = 0.0;
  for (int i = 0; i < frames; ++i) {
    ASSERT_TRUE(std::isfinite(noise.outL[i]));
    ASSERT_NE(noise.outL[i], 7.0) << "frame " << i << " was not written";
    difference += std::fabs(noise.outL[i] - noise.inL[i]);
    energy += noise.outL[i] * noise.outL[i];
  }
  EXPECT_GT(energy, 0.0);
  EXPECT_GT(difference, 1.0) << "Init changes the sound";
}

TEST_F(PluginHostTest, MidiTakesEffectAtItsFrameOffset) {
  Start(512);
  // In 1 -> Out 1, all wet; a held note (the MIDI gate) turns Master 1 down.
  Enter(kAudioIn1, "In 1");
  Enter(kAudioOut1, "Out 1");
  Enter(kAudioAmount1, "100");
  Enter(kModIn1, "Midi Gate");
  Enter(kModOut1, "Master 1");
  Enter(kModAmount1, "-100");
  Enter(kDryWetMix, "100");
  Enter(kSoftClip, "soft clip off");
  Enter(kControlRate, "Control Rate: 1");
  Stereo<float> buffers(512, 0.5f, 0.0f);
  for (int block = 0; block < 8; ++block) effect->processReplacing(effect, buffers.ins, buffers.outs, 512);
  const float steady = buffers.outL[511];
  ASSERT_GT(steady, 0.1f);

  VstMidiEvent on{};
  on.type = kVstMidiType;
  on.byteSize = sizeof on;
  on.deltaFrames = 300;
  on.midiData[0] = static_cast<char>(0x90);
  on.midiData[1] = 60;
  on.midiData[2] = 100;
  struct {
    VstInt32 numEvents;
    VstIntPtr reserved;
    VstEvent* events[1];
  } list{1, 0, {reinterpret_cast<VstEvent*>(&on)}};
  EXPECT_EQ(Dispatch(effect, effProcessEvents, 0, 0, &list), 1);
  effect->processReplacing(effect, buffers.ins, buffers.outs, 512);
  for (int i = 0; i < 300; ++i) ASSERT_FLOAT_EQ(buffers.outL[i], steady) << "before the note, frame " << i;
  EXPECT_LT(buffers.outL[511], steady * 0.8f) << "after the note";
}

TEST_F(PluginHostTest, HostIsIdentifiedOnceAtOpen) {
  host.product = "REAPER";
  host.vendorVersion = 60210;
  Dispatch(effect, effOpen);
  Dispatch(effect, effOpen);
  EXPECT_EQ(host.Count(audioMasterGetProductString), 1);
  EXPECT_EQ(host.Count(audioMasterGetVendorVersion), 1);
}

TEST(PluginHostThreads, TwoInstancesCreatedFromTwoThreadsAtOnce) {
  PluginFile file;
  ASSERT_TRUE(file.Loaded()) << file.Error();
  RecordingHost host;
  AEffect* effects[2] = {};
  std::thread first([&] { effects[0] = file.Main()(&RecordingHost::Callback); });
  std::thread second([&] { effects[1] = file.Main()(&RecordingHost::Callback); });
  first.join();
  second.join();
  ASSERT_NE(effects[0], nullptr);
  ASSERT_NE(effects[1], nullptr);
  EXPECT_NE(effects[0], effects[1]);
  EXPECT_NE(effects[0]->object, effects[1]->object);
  for (AEffect* effect : effects) {
    EXPECT_EQ(effect->numParams, 106);
    Dispatch(effect, effOpen);
    Dispatch(effect, effSetProgram, 0, 1);
    char name[256] = {};
    Dispatch(effect, effGetProgramName, 0, 0, name);
    EXPECT_STREQ(name, "lofi nofi");
    Dispatch(effect, effClose);
  }
}
