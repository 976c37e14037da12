// The dispatcher's opcodes: names and texts, capabilities, pins and
// speakers, events, rate and block size, effOpen, text entry.
#include <cmath>
#include <cstring>
#include <memory>
#include <string>

#include "framework/ITrace.h"
#include "tests/CommaLocale.h"
#include "tests/vst/BindingFixture.h"
#include "tests/vst/HostTextBuffer.h"

namespace {
std::vector<std::string> g_traced;
void RecordTrace(const char* function, int, const char* format, va_list) {
  g_traced.push_back(std::string(function) + "|" + format);
}
}  // namespace

TEST_F(BindingTest, ParameterNamesLabelsAndDisplayTextsAreCopied) {
  Make();
  char text[64];
  std::memset(text, 'x', sizeof text);
  EXPECT_EQ(Dispatch(effGetParamName, kTestActive, 0, text), 0);
  EXPECT_STREQ(text, "Active");
  Dispatch(effGetParamLabel, kTestGain, 0, text);
  EXPECT_STREQ(text, "dB");
  Dispatch(effGetParamDisplay, kTestGain, 0, text);
  EXPECT_STREQ(text, "0.0");
  Dispatch(effGetParamDisplay, kTestMode, 0, text);
  EXPECT_STREQ(text, "soft");
  Dispatch(effGetParamDisplay, kTestActive, 0, text);
  EXPECT_STREQ(text, "on");
  plugin->Parameter(kTestGain)->SetClamped(-80.0);
  Dispatch(effGetParamDisplay, kTestGain, 0, text);
  EXPECT_STREQ(text, "-80.0");
}

// Hosts size text buffers by the VST 2.4 conventions; the plug-in's own texts
// are longer. Every copy must end inside the host's buffer, NUL included.
TEST_F(BindingTest, TextsFitTheBuffersHostsSizeForThem) {
  const std::string longName(127, 'n');
  TestEffectOptions options;
  options.effectName = options.productName = options.makerName = longName.c_str();
  Make(options);
  const std::string text31(31, 't');
  for (int i = 0; i < plugin->ParameterCount(); ++i) {
    plugin->Parameter(i)->DefineDouble(text31.c_str(), 3.0, 0.0, 3.0, 1.0, text31.c_str());
    plugin->Parameter(i)->AddValueText(3, text31.c_str());
  }
  std::string programName(255, 'p');
  Dispatch(effSetProgramName, 0, 0, programName.data());

  const struct {
    VstInt32 opcode;
    int length;
  } kTexts[] = {{effGetParamName, 16},    {effGetParamLabel, 8},    {effGetParamDisplay, 24},
                {effGetProgramName, 24},  {effGetProgramNameIndexed, 24}, {effGetEffectName, 32},
                {effGetVendorString, 64}, {effGetProductString, 64}};
  for (const auto& t : kTexts) {
    for (int index = 0; index < plugin->ParameterCount(); ++index) {
      HostTextBuffer buffer(t.length);
      Dispatch(t.opcode, index, 0, buffer.Data());
      EXPECT_TRUE(buffer.GuardIntact()) << t.opcode << " index " << index;
      if (t.opcode != effGetProgramNameIndexed || index == 0) {
        EXPECT_EQ(buffer.Text().size(), static_cast<size_t>(t.length)) << t.opcode << " index " << index;
      }
    }
  }
  HostTextBuffer display(24);
  EXPECT_EQ(Dispatch(effVendorSpecific, 7, kTestMode, display.Data(), 1.0f), 0xBEEF);
  EXPECT_TRUE(display.GuardIntact());
  EXPECT_EQ(display.Text(), std::string(24, 't'));
  EXPECT_EQ(plugin->PresetName(0), programName) << "the plug-in keeps the whole name";
  // A host text without its NUL is read no further than a name holds
  // (exactly sized on the heap, so AddressSanitizer sees any read beyond).
  std::unique_ptr<char[]> unterminated(new char[300]);
  std::memset(unterminated.get(), 'u', 300);
  Dispatch(effSetProgramName, 0, 0, unterminated.get());
  EXPECT_EQ(plugin->PresetName(0), std::string(255, 'u'));
  EXPECT_EQ(plugin->Parameter(kTestMode)->Name(), text31);
}

TEST_F(BindingTest, ParameterTextOpcodesIgnoreInvalidIndexesAndMissingBuffers) {
  Make();
  for (VstInt32 opcode : {effGetParamName, effGetParamLabel, effGetParamDisplay}) {
    for (VstInt32 index : {-1, 4, 1000}) {
      char text[32] = "untouched";
      EXPECT_EQ(Dispatch(opcode, index, 0, text), 0);
      EXPECT_STREQ(text, "untouched") << opcode << " " << index;
    }
    EXPECT_EQ(Dispatch(opcode, 0, 0, nullptr), 0);
  }
}

TEST_F(BindingTest, EffectVendorAndProductNames) {
  Make();
  char text[128] = "x";
  EXPECT_EQ(Dispatch(effGetEffectName, 0, 0, text), 1);
  EXPECT_STREQ(text, "Brume");
  EXPECT_EQ(Dispatch(effGetVendorString, 0, 0, text), 1);
  EXPECT_STREQ(text, "Orvendale");
  EXPECT_EQ(Dispatch(effGetProductString, 0, 0, text), 1);
  EXPECT_STREQ(text, "");
  for (VstInt32 opcode : {effGetEffectName, effGetVendorString, effGetProductString})
    EXPECT_EQ(Dispatch(opcode, 0, 0, nullptr), 0);
}

TEST_F(BindingTest, FixedAnswers) {
  Make();
  EXPECT_EQ(Dispatch(effIdentify), 0x4E764566);
  EXPECT_EQ(Dispatch(effGetVstVersion), 2400);
  EXPECT_EQ(Dispatch(effCanBeAutomated, 3), 1);
  EXPECT_EQ(Dispatch(effGetPlugCategory), kPlugCategEffect);
  EXPECT_EQ(Dispatch(effProcessVarIo), 0);
  for (VstInt32 opcode : std::initializer_list<VstInt32>{effGetVendorVersion, effGetTailSize, effGetParameterProperties,
                          effBeginSetProgram, effEndSetProgram, effStartProcess, effStopProcess,
                          effSetProcessPrecision, 1000, -7})
    EXPECT_EQ(Dispatch(opcode, 1, 1), 0) << opcode;
  EXPECT_EQ(Dispatch(effSetBypass, 0, 1), 1) << "soft bypass";
}

TEST_F(BindingTest, AnInstrumentIsASynthCategory) {
  TestEffectOptions options;
  options.instrument = true;
  Make(options);
  EXPECT_EQ(Dispatch(effGetPlugCategory), kPlugCategSynth);
}

TEST_F(BindingTest, ARecordWithoutObjectAnswersZero) {
  Make();
  AEffect orphan = *effect;
  orphan.object = nullptr;
  EXPECT_EQ(IVstBinding::VSTDispatcher(&orphan, effIdentify, 0, 0, nullptr, 0.0f), 0);
  EXPECT_EQ(IVstBinding::VSTDispatcher(nullptr, effIdentify, 0, 0, nullptr, 0.0f), 0);
  IVstBinding::VSTSetParameter(&orphan, 0, 1.0f);
  EXPECT_EQ(IVstBinding::VSTGetParameter(&orphan, 0), 0.0f);
}

TEST_F(BindingTest, IdleOpcodesPassNoTracePointOthersDo) {
  Make();
  g_traced.clear();
  SetTraceSink(&RecordTrace);
  EXPECT_EQ(Dispatch(effEditIdle), 0);
  EXPECT_EQ(Dispatch(effIdle), 0);
  const size_t afterIdle = g_traced.size();
  Dispatch(effGetProgram);
  char can[] = "receiveVstTimeInfo";
  Dispatch(effCanDo, 0, 0, can);
  SetTraceSink(nullptr);
  EXPECT_EQ(afterIdle, 0u);
  ASSERT_EQ(g_traced.size(), 3u);
  EXPECT_EQ(g_traced[0], "IVstBinding::VSTDispatcher|%d(%s):%d:%d");
  EXPECT_EQ(g_traced[2], "IVstBinding::VSTDispatcher|VSTCanDo(%s)");
}

// ---- Capabilities ---------------------------------------------------------------

TEST_F(BindingTest, CapabilitiesCompareTheWholeText) {
  Make();
  const auto can = [&](const char* text) {
    std::string copy = text;
    return Dispatch(effCanDo, 0, 0, copy.data());
  };
  EXPECT_EQ(can("receiveVstTimeInfo"), 1);
  EXPECT_EQ(can("sendVstEvents"), 1);
  EXPECT_EQ(can("sendVstMidiEvent"), 1);
  EXPECT_EQ(can("receiveVstEvents"), 1);
  EXPECT_EQ(can("receiveVstMidiEvent"), 1);
  EXPECT_EQ(can("receiveVstTimeInfoX"), 0);
  EXPECT_EQ(can("receiveVstTimeInf"), 0);
  EXPECT_EQ(can("ReceiveVstTimeInfo"), 0);
  EXPECT_EQ(can("bypass"), 1);
  EXPECT_EQ(can(""), 0);
  EXPECT_EQ(Dispatch(effCanDo, 0, 0, nullptr), 0);
}

TEST_F(BindingTest, MidiCapabilitiesNeedAnEffectThatDoesMidi) {
  TestEffectOptions options;
  options.doesMidi = false;
  Make(options);
  for (const char* text : {"sendVstEvents", "sendVstMidiEvent", "receiveVstEvents", "receiveVstMidiEvent"}) {
    std::string copy = text;
    EXPECT_EQ(Dispatch(effCanDo, 0, 0, copy.data()), 0) << text;
  }
  std::string time = "receiveVstTimeInfo";
  EXPECT_EQ(Dispatch(effCanDo, 0, 0, time.data()), 1);
}

// ---- Vendor-specific display text -------------------------------------------------

TEST_F(BindingTest, VendorSpecificSevenFormatsANormalisedValue) {
  Make();
  char text[32] = "untouched";
  EXPECT_EQ(Dispatch(effVendorSpecific, 7, kTestGain, text, 1.0f), 0xBEEF);
  EXPECT_STREQ(text, "10.0");
  EXPECT_EQ(Dispatch(effVendorSpecific, 7, kTestMode, text, 0.5f), 0xBEEF);
  EXPECT_STREQ(text, "hard");
  std::strcpy(text, "untouched");
  EXPECT_EQ(Dispatch(effVendorSpecific, 7, 4, text, 0.5f), 0xBEEF);
  EXPECT_EQ(Dispatch(effVendorSpecific, 7, -1, text, 0.5f), 0xBEEF);
  EXPECT_STREQ(text, "untouched");
  EXPECT_EQ(Dispatch(effVendorSpecific, 6, 0, text, 0.5f), 0);
  EXPECT_EQ(Dispatch(effVendorSpecific, 7, 0, nullptr, 0.5f), 0);
}

// ---- Pins and speakers --------------------------------------------------------------

TEST_F(BindingTest, PinsAreLabelledAndPairedIntoStereo) {
  Make();
  for (bool input : {true, false}) {
    const VstInt32 opcode = input ? effGetInputProperties : effGetOutputProperties;
    const std::string prefix = input ? "Input " : "Output ";
    VstPinProperties pin{};
    pin.arrangementType = 77;
    EXPECT_EQ(Dispatch(opcode, 0, 0, &pin), 1);
    EXPECT_EQ(pin.label, prefix + "1");
    EXPECT_EQ(pin.flags, 3);
    EXPECT_EQ(pin.arrangementType, 77) << "other fields are left alone";
    EXPECT_EQ(Dispatch(opcode, 1, 0, &pin), 1);
    EXPECT_EQ(pin.label, prefix + "2");
    EXPECT_EQ(pin.flags, 1);
    EXPECT_EQ(Dispatch(opcode, 2, 0, &pin), 0);
    EXPECT_EQ(Dispatch(opcode, -1, 0, &pin), 0);
    EXPECT_EQ(Dispatch(opcode, 0, 0, nullptr), 0);
  }
}

TEST_F(BindingTest, OddChannelCountsLeaveTheLastPinMono) {
  TestEffectOptions options;
  options.channels = "3-3";
  Make(options);
  VstPinProperties pin{};
  Dispatch(effGetInputProperties, 2, 0, &pin);
  EXPECT_EQ(pin.flags, 1);
  EXPECT_STREQ(pin.label, "Input 3");
}

TEST_F(BindingTest, SpeakerArrangementConnectsTheProposedChannelsOnly) {
  Make();
  VstSpeakerArrangement in{}, out{};
  in.numChannels = 1;
  out.numChannels = 2;
  EXPECT_EQ(Dispatch(effSetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&in), &out), 1);
  EXPECT_TRUE(plugin->InputConnected(0));
  EXPECT_FALSE(plugin->InputConnected(1));
  EXPECT_TRUE(plugin->OutputConnected(1));
  EXPECT_EQ(plugin->InputArrangement().numChannels, 2) << "the stored arrangement is not changed";

  in.numChannels = -3;
  Dispatch(effSetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&in), nullptr);
  EXPECT_FALSE(plugin->InputConnected(0));
  EXPECT_TRUE(plugin->OutputConnected(1)) << "no output arrangement given";
  in.numChannels = 99;
  Dispatch(effSetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&in), nullptr);
  EXPECT_TRUE(plugin->InputConnected(0));
  EXPECT_TRUE(plugin->InputConnected(1));
  EXPECT_EQ(Dispatch(effSetSpeakerArrangement, 0, 0, nullptr), 1);
}

TEST_F(BindingTest, GetSpeakerArrangementHandsOutTheStoredRecords) {
  Make();
  VstSpeakerArrangement* in = nullptr;
  VstSpeakerArrangement* out = nullptr;
  EXPECT_EQ(Dispatch(effGetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&in), &out), 1);
  EXPECT_EQ(in, &plugin->InputArrangement());
  EXPECT_EQ(out, &plugin->OutputArrangement());
  EXPECT_EQ(in->type, kSpeakerArrStereo);
  EXPECT_EQ(Dispatch(effGetSpeakerArrangement, 0, 0, nullptr), 1);
}

TEST_F(BindingTest, MidiKeyNamesComeFromTheEffect) {
  Make();
  MidiKeyName key{};
  key.thisKeyNumber = 60;
  EXPECT_EQ(Dispatch(effGetMidiKeyName, 0, 0, &key), 1);
  EXPECT_STREQ(key.keyName, "Middle C");
  key.thisKeyNumber = 61;
  EXPECT_EQ(Dispatch(effGetMidiKeyName, 0, 0, &key), 0);
  EXPECT_STREQ(key.keyName, "") << "the old name is cleared";
  EXPECT_EQ(Dispatch(effGetMidiKeyName, 0, 0, nullptr), 0);
}

// ---- Events ------------------------------------------------------------------------

namespace {
VstMidiEvent Midi(int delta, uint8_t status, uint8_t data1, uint8_t data2) {
  VstMidiEvent e{};
  e.type = kVstMidiType;
  e.byteSize = sizeof e;
  e.deltaFrames = delta;
  e.midiData[0] = static_cast<char>(status);
  e.midiData[1] = static_cast<char>(data1);
  e.midiData[2] = static_cast<char>(data2);
  return e;
}

// A VstEvents with room for n pointers.
struct EventList {
  explicit EventList(std::vector<VstEvent*> entries) : storage(sizeof(VstEvents) + entries.size() * sizeof(void*)) {
    auto* list = reinterpret_cast<VstEvents*>(storage.data());
    list->numEvents = static_cast<VstInt32>(entries.size());
    for (size_t i = 0; i < entries.size(); ++i) list->events[i] = entries[i];
  }
  VstEvents* get() { return reinterpret_cast<VstEvents*>(storage.data()); }
  std::vector<unsigned char> storage;
};
}  // namespace

TEST_F(BindingTest, MidiEventsReachTheEffectInOrderSkippingNullEntries) {
  Make();
  VstMidiEvent on = Midi(10, 0x90, 60, 100), cc = Midi(3, 0xB0, 1, 127);
  EventList list({nullptr, reinterpret_cast<VstEvent*>(&on), nullptr, reinterpret_cast<VstEvent*>(&cc)});
  EXPECT_EQ(Dispatch(effProcessEvents, 0, 0, list.get()), 1);
  ASSERT_EQ(plugin->midi.size(), 2u);
  EXPECT_EQ(plugin->midi[0].offset, 10);
  EXPECT_EQ(plugin->midi[0].status, 0x90);
  EXPECT_EQ(plugin->midi[0].data1, 60);
  EXPECT_EQ(plugin->midi[0].data2, 100);
  EXPECT_EQ(plugin->midi[1].offset, 3);
  EXPECT_EQ(plugin->midi[1].status, 0xB0);
  EXPECT_EQ(plugin->midi[1].data2, 127);
  EXPECT_EQ(host.Count(audioMasterProcessEvents), 0);
  EXPECT_EQ(Dispatch(effProcessEvents, 0, 0, nullptr), 0);
}

// The announced block size says nothing of the next block's length: offsets
// pass as the host stamped them, and the processing core places them.
TEST_F(BindingTest, OffsetsPassAsTheHostStampedThem) {
  Make();
  Dispatch(effSetBlockSize, 0, 256);
  VstMidiEvent early = Midi(-5, 0x90, 1, 1), late = Midi(100000, 0x80, 1, 0);
  EventList list({reinterpret_cast<VstEvent*>(&early), reinterpret_cast<VstEvent*>(&late)});
  Dispatch(effProcessEvents, 0, 0, list.get());
  ASSERT_EQ(plugin->midi.size(), 2u);
  EXPECT_EQ(plugin->midi[0].offset, -5);
  EXPECT_EQ(plugin->midi[1].offset, 100000);
}

TEST_F(BindingTest, OtherEventTypesGoBackToTheHostUnchanged) {
  Make();
  char dump[4] = {1, 2, 3, 4};
  VstMidiSysexEvent sysex{};
  sysex.type = kVstSysExType;
  sysex.byteSize = sizeof sysex;
  sysex.deltaFrames = 7;
  sysex.dumpBytes = 4;
  sysex.sysexDump = dump;
  EventList list({reinterpret_cast<VstEvent*>(&sysex)});
  EXPECT_EQ(Dispatch(effProcessEvents, 0, 0, list.get()), 1);
  EXPECT_TRUE(plugin->midi.empty());
  auto sent = host.CallsOf(audioMasterProcessEvents);
  ASSERT_EQ(sent.size(), 1u);
  ASSERT_EQ(sent[0].events.size(), 1u);
  EXPECT_EQ(sent[0].events[0].type, kVstSysExType);
  EXPECT_EQ(sent[0].events[0].deltaFrames, 7);
  EXPECT_EQ(sent[0].effect, effect);
}

TEST_F(BindingTest, AnEmptyOrNegativeEventCountDeliversNothing) {
  Make();
  EventList list({});
  list.get()->numEvents = -4;
  EXPECT_EQ(Dispatch(effProcessEvents, 0, 0, list.get()), 1);
  EXPECT_TRUE(plugin->midi.empty());
}

// ---- Rate, block size, activation ------------------------------------------------------

TEST_F(BindingTest, SampleRateIsStoredAndResetsTheEngine) {
  Make();
  EXPECT_EQ(Dispatch(effSetSampleRate, 0, 0, nullptr, 48000.0f), 0);
  EXPECT_EQ(plugin->SampleRate(), 48000.0);
  EXPECT_EQ(plugin->clears, 1);
}

TEST_F(BindingTest, ARefusedSampleRateChangesNothing) {
  Make();
  for (float rate : {0.0f, -44100.0f, std::nanf(""), INFINITY, 5.0e9f, 999.0f, 768001.0f, 900000.0f})
    Dispatch(effSetSampleRate, 0, 0, nullptr, rate);
  EXPECT_EQ(plugin->SampleRate(), 44100.0);
  EXPECT_EQ(plugin->clears, 0) << "no reset at a refused rate";
  for (float rate : {1000.0f, 768000.0f}) Dispatch(effSetSampleRate, 0, 0, nullptr, rate);
  EXPECT_EQ(plugin->SampleRate(), 768000.0);
  EXPECT_EQ(plugin->clears, 2);
}

TEST_F(BindingTest, BlockSizeResizesTheChannelsWithinLimits) {
  Make();
  Dispatch(effSetBlockSize, 0, 256);
  EXPECT_EQ(plugin->BlockFrames(), 256);
  Dispatch(effSetBlockSize, 0, 0);
  EXPECT_EQ(plugin->BlockFrames(), 256);
  Dispatch(effSetBlockSize, 0, -1);
  EXPECT_EQ(plugin->BlockFrames(), 256);
  Dispatch(effSetBlockSize, 0, VstIntPtr{1} << 40);
  EXPECT_EQ(plugin->BlockFrames(), IVstBinding::kMaxBlockFrames);
  EXPECT_EQ(plugin->clears, 4);
}

TEST_F(BindingTest, MainsOnActivatesMainsOffAlsoResets) {
  Make();
  Dispatch(effMainsChanged, 0, 1);
  EXPECT_EQ(plugin->clears, 0);
  Dispatch(effMainsChanged, 0, 0);
  EXPECT_EQ(plugin->clears, 1);
  EXPECT_EQ(plugin->activations, (std::vector<bool>{true, false}));
}

// ---- effOpen ------------------------------------------------------------------------------

TEST_F(BindingTest, OpenIdentifiesTheHostOnceAndAppliesEveryParameter) {
  host.product = "Cubase LE AI Elements";
  host.vendorVersion = 50102;
  Make();
  EXPECT_EQ(Dispatch(effOpen), 0);
  EXPECT_EQ(plugin->Applied(), (std::vector<int>{0, 1, 2, 3}));
  EXPECT_EQ(plugin->StoredHostId(), 3);
  EXPECT_EQ(plugin->HostVersion(), 0x00050102);
  Dispatch(effOpen);
  EXPECT_EQ(host.Count(audioMasterGetProductString), 1);
  EXPECT_EQ(host.Count(audioMasterGetVendorVersion), 1);
}

TEST_F(BindingTest, SomeHostsAreRestrictedToStereoInput) {
  host.product = "Adobe Audition";
  TestEffectOptions options;
  options.channels = "4-4";
  Make(options);
  Dispatch(effOpen);
  EXPECT_EQ(plugin->StoredHostId(), 17);
  EXPECT_TRUE(plugin->InputConnected(1));
  EXPECT_FALSE(plugin->InputConnected(2));
  EXPECT_FALSE(plugin->InputConnected(3));
  EXPECT_TRUE(plugin->OutputConnected(3));
  EXPECT_EQ(effect->numInputs, 4);
  EXPECT_EQ(plugin->InputArrangement().numChannels, 4);
}

TEST_F(BindingTest, OtherHostsKeepEveryChannel) {
  host.product = "FL Studio (fruity wrapper)";
  TestEffectOptions options;
  options.channels = "4-4";
  Make(options);
  Dispatch(effOpen);
  EXPECT_EQ(plugin->StoredHostId(), 7);
  EXPECT_TRUE(plugin->InputConnected(3));
}

// ---- Text to parameter ---------------------------------------------------------------------

TEST_F(BindingTest, TextEntryUsesValueTextsExactly) {
  Make();
  plugin->EditorChanges();
  char hard[] = "hard", upper[] = "HARD";
  EXPECT_EQ(Dispatch(effString2Parameter, kTestMode, 0, hard), 1);
  EXPECT_EQ(Value(kTestMode), 1.0);
  EXPECT_EQ(plugin->EditorChanges(), (std::vector<std::pair<int, double>>{{kTestMode, 1.0}}));
  EXPECT_EQ(plugin->Applied(), std::vector<int>{kTestMode});
  EXPECT_EQ(Dispatch(effString2Parameter, kTestMode, 0, upper), 0);
  EXPECT_EQ(Value(kTestMode), 1.0);
  EXPECT_TRUE(plugin->Applied().empty());
  EXPECT_EQ(host.Count(audioMasterAutomate), 0) << "the host made the change itself";
}

TEST_F(BindingTest, TextEntryReadsNumbersAndLimitsThemToTheRange) {
  Make();
  const auto enter = [&](const char* text) {
    std::string copy = text;
    return Dispatch(effString2Parameter, kTestGain, 0, copy.data());
  };
  EXPECT_EQ(enter("-12.25"), 1);
  EXPECT_EQ(Value(kTestGain), -12.25) << "not stepped";
  EXPECT_EQ(enter("  +3.5dB"), 1);
  EXPECT_EQ(Value(kTestGain), 3.5);
  EXPECT_EQ(enter("1e3"), 1);
  EXPECT_EQ(Value(kTestGain), 10.0);
  EXPECT_EQ(enter("loud"), 1);
  EXPECT_EQ(Value(kTestGain), 0.0);
  EXPECT_EQ(enter("-inf"), 1);
  EXPECT_EQ(Value(kTestGain), -80.0);
}

TEST_F(BindingTest, TextEntryWithoutTextOrForABadIndex) {
  Make();
  plugin->changed.clear();
  EXPECT_EQ(Dispatch(effString2Parameter, kTestGain, 0, nullptr), 1);
  char text[] = "5";
  EXPECT_EQ(Dispatch(effString2Parameter, 4, 0, text), 0);
  EXPECT_EQ(Dispatch(effString2Parameter, -1, 0, text), 0);
  EXPECT_TRUE(plugin->changed.empty());
  EXPECT_EQ(Value(kTestGain), 0.0);
}

TEST_F(BindingTest, TextEntryAndDisplayIgnoreACommaLocale) {
  char display[32];
  {
    ScopedCommaLocale comma;
    ASSERT_TRUE(comma.Active()) << ScopedCommaLocale::kMissing;
    Make();
    char text[] = "-12.5";
    Dispatch(effString2Parameter, kTestGain, 0, text);
    Dispatch(effGetParamDisplay, kTestGain, 0, display);
  }
  EXPECT_EQ(Value(kTestGain), -12.5);
  EXPECT_STREQ(display, "-12.5");
}
