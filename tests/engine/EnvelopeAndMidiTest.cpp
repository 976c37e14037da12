#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "engine/Engine.h"
#include "engine/EnvelopeFollower.h"

namespace {

TEST(EnvelopeFollower, CoefficientsFromTimesAndRate) {
  EnvelopeFollower env;
  env.SetSampleRate(44100.0);
  env.SetAttack(0.005);
  EXPECT_NEAR(env.attackCoefficient, 0.995475, 1e-6);
  env.SetRelease(1.0);
  EXPECT_EQ(env.releaseCoefficient, std::exp(-1.0 / 44100.0));
  env.SetSampleRate(48000.0);
  EXPECT_EQ(env.attackCoefficient, std::exp(-1.0 / (48000.0 * 0.005)));
}

TEST(EnvelopeFollower, AttacksOnRisingLevelAndReleasesOtherwise) {
  EnvelopeFollower env;
  env.SetSampleRate(1000.0);
  env.SetAttack(0.001);   // exp(-1)
  env.SetRelease(0.01);   // exp(-0.1)
  const double a = std::exp(-1.0), r = std::exp(-0.1);
  env.Detect(1.0, 1.0, 1.0);
  EXPECT_EQ(env.output, (1.0 - a) * 1.0);
  const double afterAttack = env.envelope;
  env.Detect(-0.2, 0.0, 1.0);  // |(-0.2 + 0) / 2| = 0.1, falling: release
  EXPECT_EQ(env.envelope, (1.0 - r) * 0.1 + r * afterAttack);
  env.envelope = 0.5;
  env.Detect(0.5, 0.5, 1.0);  // equal level counts as release
  EXPECT_EQ(env.envelope, (1.0 - r) * 0.5 + r * 0.5);
  env.ClearEnvelope();
  env.Detect(1.0, 1.0, 3.0);  // gain applied before averaging
  EXPECT_EQ(env.envelope, (1.0 - a) * 3.0);
}

TEST(EnvelopeFollower, UnusableTimesGiveAnInstantButBoundedDetector) {
  EnvelopeFollower env;
  env.SetAttack(-1.0);
  env.SetRelease(std::nan(""));
  EXPECT_EQ(env.attackCoefficient, 0.0);
  EXPECT_EQ(env.releaseCoefficient, 0.0);
  env.Detect(0.4, 0.4, 1.0);
  EXPECT_EQ(env.envelope, 0.4);
  env.SetAttack(0.0);
  EXPECT_EQ(env.attackCoefficient, 0.0);
}

IMidiEvent Midi(uint8_t status, uint8_t data1, uint8_t data2) {
  IMidiEvent e;
  e.status = status;
  e.data1 = data1;
  e.data2 = data2;
  return e;
}

class MidiSources : public ::testing::Test {
 protected:
  std::unique_ptr<Engine> engine = std::make_unique<Engine>();
};

TEST_F(MidiSources, NoteOnSetsGateNoteAndVelocity) {
  engine->ApplyMidiMessage(Midi(0x93, 60, 100));  // any channel
  EXPECT_EQ(engine->midiGate.base, 1.0);
  EXPECT_NEAR(engine->midiNote.base, 0.4724409, 1e-7);
  EXPECT_NEAR(engine->midiVelocity.base, 0.7874016, 1e-7);
}

TEST_F(MidiSources, AnyNoteOffClearsAllThree) {
  engine->ApplyMidiMessage(Midi(0x90, 60, 100));
  engine->ApplyMidiMessage(Midi(0x90, 64, 90));
  EXPECT_NEAR(engine->midiNote.base, 64.0 / 127.0, 1e-15);
  engine->ApplyMidiMessage(Midi(0x80, 60, 0));  // releases A while B is held
  EXPECT_EQ(engine->midiGate.base, 0.0);
  EXPECT_EQ(engine->midiNote.base, 0.0);
  EXPECT_EQ(engine->midiVelocity.base, 0.0);
  engine->ApplyMidiMessage(Midi(0x90, 70, 1));
  EXPECT_EQ(engine->midiGate.base, 1.0);
  engine->ApplyMidiMessage(Midi(0x9F, 70, 0));  // velocity 0 is a note off
  EXPECT_EQ(engine->midiGate.base, 0.0);
}

TEST_F(MidiSources, OnlyControllerOneMovesTheModWheel) {
  engine->ApplyMidiMessage(Midi(0xB0, 1, 127));
  EXPECT_EQ(engine->midiModWheel.base, 1.0);
  engine->ApplyMidiMessage(Midi(0xB0, 7, 0));
  engine->ApplyMidiMessage(Midi(0xE0, 0, 0));   // pitch bend
  engine->ApplyMidiMessage(Midi(0xD0, 0, 0));   // channel pressure
  engine->ApplyMidiMessage(Midi(0xF8, 0, 0));   // clock
  engine->ApplyMidiMessage(Midi(0xA0, 60, 0));  // key pressure
  EXPECT_EQ(engine->midiModWheel.base, 1.0);
  EXPECT_EQ(engine->midiGate.base, 0.0);
  engine->ApplyMidiMessage(Midi(0xB5, 1, 0));
  EXPECT_EQ(engine->midiModWheel.base, 0.0);
}

}  // namespace
