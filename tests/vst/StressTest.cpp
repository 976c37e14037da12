// Several host threads at once on one Brume instance, as busy hosts do:
// one processes audio, one automates parameters and switches programs, one
// saves and restores chunks, one delivers MIDI. Run under ThreadSanitizer
// (label "stress"); the output must stay finite throughout.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <random>
#include <thread>
#include <vector>

#include "tests/vst/PluginFile.h"

namespace {

const VstTimeInfo g_time = [] {
  VstTimeInfo t{};
  t.sampleRate = 44100.0;
  t.tempo = 140.0;
  t.flags = kVstTempoValid | kVstTransportPlaying;
  return t;
}();
std::atomic<long> g_hostCalls{0};

// Thread-safe host: it only reads shared constants.
VstIntPtr ConcurrentHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
  g_hostCalls.fetch_add(1, std::memory_order_relaxed);
  if (opcode == audioMasterGetTime) return reinterpret_cast<VstIntPtr>(&g_time);
  return opcode == audioMasterProcessEvents ? 1 : 0;
}

double StressSeconds() {
  const char* text = std::getenv("KESTREL_STRESS_SECONDS");
  const double seconds = text ? std::atof(text) : 0.0;
  return seconds > 0.0 ? seconds : 4.0;
}

}  // namespace

TEST(Stress, FourHostThreadsOnOneInstance) {
  PluginFile file;
  ASSERT_TRUE(file.Loaded()) << file.Error();
  AEffect* effect = file.Main()(&ConcurrentHost);
  ASSERT_NE(effect, nullptr);
  constexpr int kBlock = 256;
  Dispatch(effect, effOpen);
  Dispatch(effect, effSetSampleRate, 0, 0, nullptr, 48000.0f);
  Dispatch(effect, effSetBlockSize, 0, kBlock);
  Dispatch(effect, effMainsChanged, 0, 1);

  const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(StressSeconds());
  const auto running = [&] { return std::chrono::steady_clock::now() < deadline; };
  std::atomic<long> blocks{0}, automations{0}, chunks{0}, midiLists{0}, nonFinite{0}, failedLoads{0};

  std::thread audio([&] {
    std::vector<float> inF(kBlock), outF(kBlock);
    std::vector<double> inD(kBlock), outD(kBlock);
    std::mt19937 random(1);
    std::uniform_real_distribution<float> sample(-1.0f, 1.0f);
    for (long n = 0; running(); ++n) {
      for (int i = 0; i < kBlock; ++i) inD[i] = inF[i] = sample(random);
      float* insF[2] = {inF.data(), inF.data()};
      float* outsF[2] = {outF.data(), outF.data()};
      double* insD[2] = {inD.data(), inD.data()};
      double* outsD[2] = {outD.data(), outD.data()};
      if (n % 2) {
        effect->processReplacing(effect, insF, outsF, kBlock);
        for (float v : outF) nonFinite += std::isfinite(v) ? 0 : 1;
      } else {
        effect->processDoubleReplacing(effect, insD, outsD, kBlock);
        for (double v : outD) nonFinite += std::isfinite(v) ? 0 : 1;
      }
      ++blocks;
    }
  });

  std::thread automation([&] {
    std::mt19937 random(2);
    std::uniform_int_distribution<int> index(0, 105);
    std::uniform_real_distribution<float> value(0.0f, 1.0f);
    for (long n = 0; running(); ++n) {
      effect->setParameter(effect, index(random), value(random));
      (void)effect->getParameter(effect, index(random));
      if (n % 64 == 0) Dispatch(effect, effSetProgram, 0, static_cast<VstIntPtr>(random() % 20));
      ++automations;
    }
  });

  std::thread state([&] {
    for (long n = 0; running(); ++n) {
      const bool bank = n % 4 == 0;
      void* data = nullptr;
      const VstIntPtr size = Dispatch(effect, effGetChunk, bank ? 0 : 1, 0, &data);
      if (size <= 0) {
        ++failedLoads;
        continue;
      }
      // The buffer is the plug-in's; the host keeps a copy, like a project save.
      std::vector<uint8_t> copy(static_cast<const uint8_t*>(data), static_cast<const uint8_t*>(data) + size);
      if (Dispatch(effect, effSetChunk, bank ? 0 : 1, size, copy.data()) != 1) ++failedLoads;
      ++chunks;
    }
  });

  std::thread midi([&] {
    std::mt19937 random(3);
    for (long n = 0; running(); ++n) {
      VstMidiEvent events[2] = {};
      for (int i = 0; i < 2; ++i) {
        events[i].type = kVstMidiType;
        events[i].byteSize = sizeof(VstMidiEvent);
        events[i].deltaFrames = static_cast<VstInt32>(random() % kBlock);
        events[i].midiData[0] = static_cast<char>(i == 0 ? (n % 2 ? 0x90 : 0x80) : 0xB0);
        events[i].midiData[1] = static_cast<char>(i == 0 ? 36 + random() % 48 : 1);
        events[i].midiData[2] = static_cast<char>(random() % 128);
      }
      struct {
        VstInt32 numEvents;
        VstIntPtr reserved;
        VstEvent* events[2];
      } list{2, 0, {reinterpret_cast<VstEvent*>(&events[0]), reinterpret_cast<VstEvent*>(&events[1])}};
      Dispatch(effect, effProcessEvents, 0, 0, &list);
      ++midiLists;
      std::this_thread::yield();
    }
  });

  audio.join();
  automation.join();
  state.join();
  midi.join();
  Dispatch(effect, effMainsChanged, 0, 0);
  Dispatch(effect, effClose);

  EXPECT_EQ(nonFinite.load(), 0);
  EXPECT_EQ(failedLoads.load(), 0) << "chunks the plug-in wrote itself always load";
  EXPECT_GT(blocks.load(), 0);
  EXPECT_GT(automations.load(), 0);
  EXPECT_GT(chunks.load(), 0);
  EXPECT_GT(midiLists.load(), 0);
  RecordProperty("blocks", static_cast<int>(blocks.load()));
  RecordProperty("chunks", static_cast<int>(chunks.load()));
}
