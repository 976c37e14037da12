// Audio through the whole effect, driven the way a host drives it: defaults,
// factory presets, placeholder slots, host tempo and MIDI delivery.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "effect/ParameterIds.h"
#include "tests/Vst24Reference.h"
#include "tests/effect/KestrelTestHost.h"

namespace {

// Deterministic noise in [-0.5, 0.5).
std::vector<double> Noise(int frames, uint32_t seed) {
  std::vector<double> out(frames);
  for (double& v : out) {
    seed = seed * 1664525u + 1013904223u;
    v = (seed >> 8) / double(1u << 24) - 0.5;
  }
  return out;
}

class KestrelAudioTest : public ::testing::Test {
 protected:
  Engine& engine() { return host.effect().SignalEngine(); }
  KestrelTestHost host;
};

TEST_F(KestrelAudioTest, DefaultsGiveExactlyHalfTheDryInput) {
  for (int block = 0; block < 8; ++block) {
    const std::vector<double> inL = Noise(512, 1 + block), inR = Noise(512, 100 + block);
    std::vector<double> outL(512), outR(512);
    host.Process(inL.data(), inR.data(), outL.data(), outR.data(), 512);
    for (int i = 0; i < 512; ++i) {
      ASSERT_EQ(outL[i], 0.5 * inL[i]) << block << ":" << i;
      ASSERT_EQ(outR[i], 0.5 * inR[i]) << block << ":" << i;
    }
  }
}

TEST_F(KestrelAudioTest, InitRoutesEachInputThroughItsFilterToItsSide) {
  ASSERT_TRUE(host.LoadPreset(0));
  EXPECT_EQ(engine().filterLeft.Input(0), &engine().inLeft);
  EXPECT_EQ(engine().filterRight.Input(1), &engine().inRight);
  EXPECT_EQ(engine().masterLeft.Input(2), &engine().filterLeft);
  EXPECT_EQ(engine().masterRight.Input(3), &engine().filterRight);

  // Signal on the left input only: it must come out on the left alone, and
  // changed by the filter (Mix 100 %, so no dry part).
  const int frames = 44100;
  const std::vector<double> in = Noise(frames, 7), silence(frames, 0.0);
  std::vector<double> outL(frames), outR(frames);
  for (int pos = 0; pos < frames; pos += 512) {
    const int n = std::min(512, frames - pos);
    host.Process(in.data() + pos, silence.data() + pos, outL.data() + pos, outR.data() + pos, n);
  }
  double energyL = 0, energyR = 0, difference = 0;
  for (int i = frames / 2; i < frames; ++i) {
    energyL += outL[i] * outL[i];
    energyR += outR[i] * outR[i];
    difference += std::fabs(outL[i] - in[i]);
  }
  EXPECT_GT(energyL, 1.0);
  EXPECT_LT(energyR, 1e-20);
  EXPECT_GT(difference, 10.0) << "the left output is filtered, not the dry input";
}

TEST_F(KestrelAudioTest, HmmgSendsOnlyOut1PannedToTheCentre) {
  ASSERT_TRUE(host.LoadPreset(9));
  ASSERT_STREQ(host.effect().PresetName(9), "hmmg");
  EXPECT_EQ(engine().masterRight.ActiveInputCount(), 0);
  EXPECT_EQ(engine().masterLeft.Input(4), &engine().filterLeft);
  EXPECT_EQ(engine().delayLeft.InputAmount(0), 0.5);
  EXPECT_EQ(engine().delayLeft.InputAmount(1), 0.5);

  // Delay 1 is set to "1 qtr" (a count of 0), which plays the whole 12.1 s
  // line, so run past it to hear the wet signal.
  const int block = 512;
  const int blocks = 13 * 44100 / block;
  double heard = 0;
  for (int b = 0; b < blocks; ++b) {
    const std::vector<double> inL = Noise(block, 3 + b), inR = Noise(block, 9000 + b);
    std::vector<double> outL(block), outR(block);
    host.Process(inL.data(), inR.data(), outL.data(), outR.data(), block);
    ASSERT_EQ(engine().masterRight.output, 0.0);
    if (b < 200) continue;  // let the pan glide from 0 to its base 0.5
    for (int i = 0; i < block; ++i) {
      ASSERT_NEAR(outL[i], outR[i], 1e-12 + 1e-9 * std::fabs(outL[i])) << b << ":" << i;
      heard += std::fabs(outL[i]);
    }
  }
  EXPECT_GT(heard, 1.0);
}

TEST_F(KestrelAudioTest, PlaceholderSlotsRestoreTheDefaults) {
  for (int slot : {20, 77, 127}) {
    ASSERT_TRUE(host.LoadPreset(0));
    ASSERT_TRUE(host.LoadPreset(slot));
    EXPECT_STREQ(host.effect().PresetName(slot), "-");
    for (int i = 0; i < kParameterCount; ++i) {
      ASSERT_EQ(host.effect().Parameter(i)->Value(), host.effect().Parameter(i)->Default())
          << "slot " << slot << " " << kParameterIdentifiers[i];
    }
    // Every row is empty again, so only the dry half remains (once the
    // program change's fade is over).
    const std::vector<double> in = Noise(1024, slot);
    std::vector<double> outL(1024), outR(1024);
    host.Process(in.data(), in.data(), outL.data(), outR.data(), 1024);
    for (int i = 768; i < 1024; ++i) ASSERT_EQ(outL[i], 0.5 * in[i]) << slot;
  }
}

TEST_F(KestrelAudioTest, EveryFactoryPresetProducesFiniteOutput) {
  for (int slot = 0; slot < 20; ++slot) {
    ASSERT_TRUE(host.LoadPreset(slot));
    double peak = 0;
    for (int b = 0; b < 40; ++b) {
      const std::vector<double> in = Noise(512, 50 + b);
      std::vector<double> outL(512), outR(512);
      host.Process(in.data(), in.data(), outL.data(), outR.data(), 512);
      for (int i = 0; i < 512; ++i) {
        ASSERT_TRUE(std::isfinite(outL[i]) && std::isfinite(outR[i])) << slot;
        peak = std::max({peak, std::fabs(outL[i]), std::fabs(outR[i])});
      }
    }
    EXPECT_LT(peak, 4.0) << host.effect().PresetName(slot);
  }
}

TEST_F(KestrelAudioTest, TempoIsAskedOncePerBlockAndDefaultsTo120) {
  std::vector<double> l, r;
  KestrelTestHost::ResetTimeRequests();
  KestrelTestHost::SetTempo(90);
  host.ProcessConstant(0, 0, 512, l, r);
  EXPECT_EQ(KestrelTestHost::TimeRequests(), 1);
  EXPECT_EQ(engine().delayLeft.tempo, 90.0);
  EXPECT_EQ(engine().delayRight.tempo, 90.0);

  KestrelTestHost::SetTempo(0);  // host reports no tempo
  host.ProcessConstant(0, 0, 64, l, r);
  EXPECT_EQ(KestrelTestHost::TimeRequests(), 2);
  EXPECT_EQ(engine().delayLeft.tempo, 120.0);
  EXPECT_EQ(engine().delayRight.tempo, 120.0);

  host.ProcessConstant(0, 0, 0, l, r);  // an empty block still asks
  EXPECT_EQ(KestrelTestHost::TimeRequests(), 3);
}

// MIDI stamped past the block's end plays on its last frame: nothing waits
// for a later block (which, shorter than the stamp, would never reach it).
TEST_F(KestrelAudioTest, MidiStampedPastTheBlockPlaysOnItsLastFrame) {
  IMidiEvent noteOn;
  noteOn.offset = 10;
  noteOn.status = 0x90;
  noteOn.data1 = 60;
  noteOn.data2 = 100;
  host.effect().HandleMidiEvent(noteOn);
  std::vector<double> l, r;
  host.ProcessConstant(0, 0, 8, l, r);  // block ends before frame 10
  EXPECT_EQ(engine().midiGate.base, 1.0);
  EXPECT_DOUBLE_EQ(engine().midiNote.base, 60.0 / 127.0);
  EXPECT_DOUBLE_EQ(engine().midiVelocity.base, 100.0 / 127.0);
  EXPECT_EQ(host.effect().PendingMidi(), 0);
}

// A host block longer than the announced size plays in pieces, and MIDI
// still acts at the frame the host stamped, not at the announced size.
TEST(KestrelLongBlocks, MidiInABlockLongerThanAnnouncedActsAtItsFrame) {
  auto render = [](bool note) {
    KestrelTestHost host(48000.0);
    const std::vector<double> gated = GatedBy(ModSource::MidiGate);
    for (int i = 0; i < kParameterCount; ++i) host.Set(i, gated[i]);
    AEffect* e = host.effect().Effect();
    e->dispatcher(e, effSetBlockSize, 0, 256, nullptr, 0.0f);
    VstMidiEvent on{};
    on.type = kVstMidiType;
    on.byteSize = sizeof on;
    on.deltaFrames = 700;
    on.midiData[0] = static_cast<char>(0x90), on.midiData[1] = 60, on.midiData[2] = 100;
    VstEvents list{};
    list.numEvents = 1;
    list.events[0] = reinterpret_cast<VstEvent*>(&on);
    if (note) e->dispatcher(e, effProcessEvents, 0, 0, &list, 0.0f);
    std::vector<float> in(1024, 0.25f), l(1024), r(1024);
    float* ins[] = {in.data(), in.data()};
    float* outs[] = {l.data(), r.data()};
    e->processReplacing(e, ins, outs, 1024);
    return l;
  };
  const std::vector<float> plain = render(false), gated = render(true);
  int first = 0;
  while (first < 1024 && plain[first] == gated[first]) ++first;
  EXPECT_GE(first, 700);
  EXPECT_LE(first, 702);
}

TEST_F(KestrelAudioTest, ProcessingResetFollowsTheHostSampleRate) {
  {
    IEffectBase::LockGuard lock(host.effect());
    host.effect().StoreSampleRate(48000.0);
    host.effect().ClearProcessingState();
  }
  EXPECT_EQ(engine().SampleRate(), 48000.0);
  EXPECT_EQ(engine().delayRight.length, 580800);
  EXPECT_EQ(engine().ControlCounter(), 0);

  // A rate the engine refuses is refused by the plug-in as a whole.
  AEffect* effect = host.effect().Effect();
  effect->dispatcher(effect, effSetSampleRate, 0, 0, nullptr, 900000.0f);
  EXPECT_EQ(host.effect().SampleRate(), 48000.0);
  EXPECT_EQ(engine().SampleRate(), 48000.0);
}

}  // namespace
