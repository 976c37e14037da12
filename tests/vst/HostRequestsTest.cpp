// What the plug-in asks of the host: time, tempo, transport, automation,
// gestures, display, MIDI out and host identification.
#include <climits>
#include <cmath>
#include <cstring>

#include "tests/vst/BindingFixture.h"

TEST_F(BindingTest, TempoWhenTheHostVouchesForIt) {
  Make();
  host.time.tempo = 133.0;
  EXPECT_EQ(plugin->HostTempo(), 133.0);
  const auto calls = host.CallsOf(audioMasterGetTime);
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].value, 0x400);
  EXPECT_EQ(calls[0].effect, effect);
  host.time.flags = kVstTimeSigValid;
  EXPECT_EQ(plugin->HostTempo(), 0.0);
  host.time.flags = kVstTempoValid;
  host.time.tempo = -1.0;
  EXPECT_EQ(plugin->HostTempo(), 0.0);
  host.time.tempo = INFINITY;
  EXPECT_EQ(plugin->HostTempo(), 0.0);
  host.answerTime = false;
  EXPECT_EQ(plugin->HostTempo(), 0.0);
}

TEST(BindingWithoutHost, EveryRequestHasItsDefault) {
  BindingTestEffect plugin(nullptr);
  EXPECT_EQ(plugin.HostTempo(), 0.0);
  EXPECT_EQ(plugin.HostSamplePosition(), 0);
  EXPECT_EQ(plugin.HostId(), 0);
  EXPECT_FALSE(plugin.SendMidiEvent(IMidiEvent{}));
  ITransportState record;
  record.tempo = 99.0;
  plugin.HostTransport(&record);
  EXPECT_EQ(record.tempo, 99.0);
}

TEST_F(BindingTest, SamplePositionIsRoundedAndNeverNegative) {
  Make();
  host.time.samplePos = 99.5;
  EXPECT_EQ(plugin->HostSamplePosition(), 100);
  host.time.samplePos = 99.49;
  EXPECT_EQ(plugin->HostSamplePosition(), 99);
  host.time.samplePos = -3.0;
  EXPECT_EQ(plugin->HostSamplePosition(), 0);
  host.time.samplePos = 1e12;
  EXPECT_EQ(plugin->HostSamplePosition(), INT_MAX);
  host.answerTime = false;
  EXPECT_EQ(plugin->HostSamplePosition(), 0);
  EXPECT_EQ(host.CallsOf(audioMasterGetTime)[0].value, 0);
}

TEST_F(BindingTest, TimeSignatureOnlyWhenValid) {
  Make();
  host.time.timeSigNumerator = 7;
  host.time.timeSigDenominator = 8;
  int numerator = -1, denominator = -1;
  plugin->HostTimeSignature(&numerator, &denominator);
  EXPECT_EQ(numerator, 7);
  EXPECT_EQ(denominator, 8);
  EXPECT_EQ(host.CallsOf(audioMasterGetTime)[0].value, 0x2000);
  host.time.flags = kVstTempoValid;
  plugin->HostTimeSignature(&numerator, &denominator);
  EXPECT_EQ(numerator, 0);
  EXPECT_EQ(denominator, 0);
  host.time.flags = kVstTimeSigValid;
  host.time.timeSigDenominator = -4;
  plugin->HostTimeSignature(&numerator, &denominator);
  EXPECT_EQ(numerator, 0);
  plugin->HostTimeSignature(nullptr, nullptr);
}

TEST_F(BindingTest, TransportTakesOnlyWhatTheHostVouchesFor) {
  Make();
  host.time = VstTimeInfo{};
  host.time.samplePos = 4410.0;
  host.time.ppqPos = 6.5;
  host.time.tempo = 90.0;
  host.time.barStartPos = 4.0;
  host.time.cycleStartPos = 2.0;
  host.time.cycleEndPos = 10.0;
  host.time.timeSigNumerator = 3;
  host.time.timeSigDenominator = 4;
  host.time.flags = kVstPpqPosValid | kVstTempoValid | kVstBarsValid | kVstCyclePosValid | kVstTimeSigValid |
                    kVstTransportPlaying | kVstTransportCycleActive;
  ITransportState record;
  plugin->HostTransport(&record);
  EXPECT_EQ(host.CallsOf(audioMasterGetTime)[0].value, 0x3E00);
  EXPECT_EQ(record.samplePosition, 4410.0);
  EXPECT_EQ(record.musicalPosition, 6.5);
  EXPECT_EQ(record.tempo, 90.0);
  EXPECT_EQ(record.lastBarStart, 4.0);
  EXPECT_EQ(record.cycleStart, 2.0);
  EXPECT_EQ(record.cycleEnd, 10.0);
  EXPECT_EQ(record.numerator, 3);
  EXPECT_EQ(record.denominator, 4);
  EXPECT_TRUE(record.transportRunning);
  EXPECT_TRUE(record.loopEnabled);
}

TEST_F(BindingTest, TransportSkipsInvalidFieldsAndUnansweredRequests) {
  Make();
  ITransportState record;
  record.musicalPosition = 1.0;
  host.time = VstTimeInfo{};
  host.time.samplePos = 12.0;
  host.time.ppqPos = -1.0;
  host.time.tempo = 0.0;
  host.time.flags = kVstPpqPosValid | kVstTempoValid;
  plugin->HostTransport(&record);
  EXPECT_EQ(record.samplePosition, 12.0);
  EXPECT_EQ(record.musicalPosition, 1.0);
  EXPECT_EQ(record.tempo, 120.0);
  EXPECT_FALSE(record.transportRunning);

  ITransportState untouched;
  untouched.transportRunning = true;
  host.time.flags = kVstTransportPlaying;  // none of the five requested flags
  plugin->HostTransport(&untouched);
  EXPECT_EQ(untouched.samplePosition, 0.0);
  EXPECT_TRUE(untouched.transportRunning);
  host.answerTime = false;
  plugin->HostTransport(&untouched);
  EXPECT_TRUE(untouched.transportRunning);
  plugin->HostTransport(nullptr);
}

TEST_F(BindingTest, EditorChangesAreAutomatedGesturesAndDisplayRefreshForwarded) {
  Make();
  plugin->SetParameterFromGUI(kTestMix, 0.75);
  plugin->HostBeginGesture(2);
  plugin->HostEndGesture(2);
  plugin->HostRefreshDisplay();
  const auto calls = host.Calls();
  ASSERT_EQ(calls.size(), 4u);
  EXPECT_EQ(calls[0].opcode, audioMasterAutomate);
  EXPECT_EQ(calls[0].index, kTestMix);
  EXPECT_EQ(calls[0].opt, 0.75f);
  EXPECT_EQ(calls[1].opcode, audioMasterBeginEdit);
  EXPECT_EQ(calls[1].index, 2);
  EXPECT_EQ(calls[2].opcode, audioMasterEndEdit);
  EXPECT_EQ(calls[2].index, 2);
  EXPECT_EQ(calls[3].opcode, audioMasterUpdateDisplay);
  for (const HostCall& call : calls) EXPECT_EQ(call.effect, effect);
}

TEST_F(BindingTest, MidiOutIsOneVstMidiEventPerMessage) {
  Make();
  IMidiEvent note;
  note.offset = 17;
  note.status = 0x91;
  note.data1 = 64;
  note.data2 = 99;
  EXPECT_TRUE(plugin->SendMidiEvent(note));
  const auto sent = host.CallsOf(audioMasterProcessEvents);
  ASSERT_EQ(sent.size(), 1u);
  ASSERT_EQ(sent[0].events.size(), 1u);
  VstMidiEvent midi;
  std::memcpy(&midi, &sent[0].events[0], sizeof midi);
  EXPECT_EQ(midi.type, kVstMidiType);
  EXPECT_EQ(midi.byteSize, 32);
  EXPECT_EQ(midi.deltaFrames, 17);
  EXPECT_EQ(midi.flags, 0);
  EXPECT_EQ(midi.noteLength, 0);
  EXPECT_EQ(midi.noteOffset, 0);
  EXPECT_EQ(static_cast<uint8_t>(midi.midiData[0]), 0x91);
  EXPECT_EQ(midi.midiData[1], 64);
  EXPECT_EQ(midi.midiData[2], 99);
  EXPECT_EQ(midi.midiData[3], 0);
  EXPECT_EQ(midi.detune, 0);
  EXPECT_EQ(midi.noteOffVelocity, 0);
}

TEST_F(BindingTest, MidiListSendsEveryEventAndReportsAnyRefusal) {
  Make();
  IMidiEvent events[3];
  EXPECT_TRUE(plugin->SendMidiEvents(events, 3));
  host.processEventsAnswer = 0;
  EXPECT_FALSE(plugin->SendMidiEvents(events, 3));
  EXPECT_EQ(host.Count(audioMasterProcessEvents), 6);
  EXPECT_TRUE(plugin->SendMidiEvents(nullptr, 3));
}

struct HostIdCase {
  const char* product;
  int id;
};

class HostIdTest : public BindingTest, public ::testing::WithParamInterface<HostIdCase> {};

TEST_P(HostIdTest, ProductStringDecidesTheHost) {
  host.product = GetParam().product;
  Make();
  EXPECT_EQ(plugin->HostId(), GetParam().id);
  EXPECT_EQ(plugin->HostId(), GetParam().id);
  EXPECT_EQ(host.Count(audioMasterGetProductString), 1) << "asked once";
}

INSTANTIATE_TEST_SUITE_P(Table, HostIdTest,
                         ::testing::Values(HostIdCase{"Cubase", 3}, HostIdCase{"REAPER", 1},
                                           HostIdCase{"Cubase Live", 3}, HostIdCase{"Ableton Live", 9},
                                           HostIdCase{"Presonus VST2 Host", 25}, HostIdCase{"Ardour", 0},
                                           HostIdCase{"", 0}));

TEST_F(BindingTest, HostVersionIsAskedOnlyWithAProductString) {
  host.product = "";
  Make();
  plugin->HostId();
  EXPECT_EQ(host.Count(audioMasterGetVendorVersion), 0);
  EXPECT_EQ(plugin->HostVersion(), 0);
}
