// What the VST3 processor does with hosts that lie or race: lists that
// claim billions of entries or stop giving them, a negative frame count,
// and getState while process plays program changes.
#include <gtest/gtest.h>

#include <atomic>
#include <climits>
#include <thread>
#include <vector>

#include "effect/BrumeProcessor.h"
#include "effect/FactoryPresets.h"
#include "effect/Kestrel.h"
#include "effect/ParameterIds.h"
#include "tests/vst3/Vst3Host.h"
#include "vst3/BrumeVst3Ids.h"
#include "vst3/BrumeVst3Processor.h"

namespace {

using namespace vst3_host;

// A queue of the gain that claims INT32_MAX points and gives every one.
class EndlessQueue : public HostObject<IParamValueQueue> {
 public:
  ParamID VST3_API getParameterId() override { return kGain; }
  int32 VST3_API getPointCount() override { return INT32_MAX; }
  tresult VST3_API getPoint(int32 index, int32& offset, ParamValue& value) override {
    ++reads;
    offset = index % 64;
    value = 0.5;
    return kResultOk;
  }
  tresult VST3_API addPoint(int32, ParamValue, int32&) override { return kResultFalse; }
  long reads = 0;
};

// INT32_MAX queues (the same endless one), or only `given` before failing.
class EndlessChanges : public HostObject<IParameterChanges> {
 public:
  int32 VST3_API getParameterCount() override { return INT32_MAX; }
  IParamValueQueue* VST3_API getParameterData(int32 index) override {
    ++reads;
    return index < given ? &queue : nullptr;
  }
  IParamValueQueue* VST3_API addParameterData(const ParamID&, int32&) override { return nullptr; }
  EndlessQueue queue;
  int32 given = INT32_MAX;
  long reads = 0;
};

class EndlessEvents : public HostObject<IEventList> {
 public:
  int32 VST3_API getEventCount() override { return INT32_MAX; }
  tresult VST3_API getEvent(int32 index, Event& e) override {
    ++reads;
    if (index >= given) return kResultFalse;
    e = Event{};
    e.type = Event::kNoteOnEvent;
    e.sampleOffset = index;
    e.noteOn.pitch = 60;
    e.noteOn.velocity = 0.5f;
    return kResultOk;
  }
  tresult VST3_API addEvent(Event&) override { return kResultFalse; }
  int32 given = INT32_MAX;
  long reads = 0;
};

struct Plugin {
  Module module{BRUME_VST3_PATH};
  Instance instance{module.Factory()};
  std::vector<float> left = std::vector<float>(256, 0.1f), right = std::vector<float>(256, 0.1f);
  Plugin() { EXPECT_TRUE(instance.Setup(48000.0, 256)); }
  ProcessData Data(int32 frames) {
    in[0] = left.data(), in[1] = right.data();
    inputs.numChannels = outputs.numChannels = 2;
    inputs.channelBuffers32 = outputs.channelBuffers32 = in;
    ProcessData data{};
    data.symbolicSampleSize = kSample32;
    data.numSamples = frames;
    data.numInputs = data.numOutputs = 1;
    data.inputs = &inputs;
    data.outputs = &outputs;
    return data;
  }
  AudioBusBuffers inputs{}, outputs{};
  float* in[2] = {};
};

VstIntPtr SilentHost(AEffect*, VstInt32, VstInt32, VstIntPtr, void*, float) { return 0; }

// Whatever the counts claim, one block reads no more entries than the
// processor's event list holds (and a full list costs nothing more).
TEST(Vst3HostLists, ListsClaimingBillionsOfEntriesCostABoundedBlock) {
  Plugin plugin;
  EndlessChanges changes;
  EndlessEvents events;
  ProcessData data = plugin.Data(256);
  data.inputParameterChanges = &changes;
  data.inputEvents = &events;
  EXPECT_EQ(plugin.instance.processor->process(data), kResultOk);
  const long bound = 2L * BrumeProcessor::kMaxBlockEvents + 2 * brume_vst3::BrumeVst3Processor::kMaxHostQueues;
  EXPECT_LE(changes.reads + changes.queue.reads, bound);
  EXPECT_LE(events.reads, bound);
  for (float v : plugin.left) ASSERT_TRUE(std::isfinite(v));
}

// A list stops at the first entry the host fails to give.
TEST(Vst3HostLists, AListEndsAtTheFirstEntryTheHostFailsToGive) {
  Plugin plugin;
  EndlessChanges changes;
  changes.given = 3;
  changes.queue.reads = 0;
  EndlessEvents events;
  events.given = 5;
  ProcessData data = plugin.Data(256);
  data.inputParameterChanges = &changes;
  data.inputEvents = &events;
  plugin.instance.processor->process(data);
  EXPECT_EQ(events.reads, 6);
  EXPECT_LE(changes.reads, 2 * 4);  // two passes (programs first), each up to the failing entry
}

// A negative frame count with notes and points: nothing is rendered and no
// offset arithmetic overflows (the sanitizers' build checks).
TEST(Vst3HostLists, ANegativeFrameCountWithNotesRendersNothing) {
  Plugin plugin;
  ParameterChanges changes;
  changes.Add(kGain, 5, 0.2);
  EventList events;
  events.Note(true, 3, 60, 0.5f);
  ProcessData data = plugin.Data(INT_MIN);
  data.inputParameterChanges = &changes;
  data.inputEvents = &events;
  EXPECT_EQ(plugin.instance.processor->process(data), kResultOk);
  EXPECT_EQ(plugin.left[0], 0.1f);
}

// getState on the UI thread while process plays program after program: every
// state saved is one whole factory program, never part of two.
TEST(Vst3HostLists, GetStateDuringProgramChangesSavesOneWholeProgram) {
  Plugin plugin;
  Kestrel reference(&SilentHost, nullptr);
  std::vector<std::vector<uint8_t>> programs;
  for (int p = 0; p < kFactoryPresetCount; ++p) {
    AEffect* e = reference.Effect();
    e->dispatcher(e, effSetProgram, 0, p, nullptr, 0.0f);
    void* bytes = nullptr;
    const VstIntPtr size = e->dispatcher(e, effGetChunk, 1, 0, &bytes, 0.0f);
    programs.push_back(Instance::StateOf(
        std::vector<uint8_t>(static_cast<uint8_t*>(bytes), static_cast<uint8_t*>(bytes) + size), false));
  }
  std::atomic<bool> started{false}, done{false};
  std::thread audio([&] {
    for (int block = 0; block < 3000; ++block) {
      if (block == 1) started = true;
      ParameterChanges changes;
      changes.Add(brume_vst3::kProgramId, block % 64, (block % kFactoryPresetCount) / 19.0);
      ProcessData data = plugin.Data(64);
      data.inputParameterChanges = &changes;
      plugin.instance.processor->process(data);
    }
    done = true;
  });
  int saved = 0, mixed = 0;
  while (!started) std::this_thread::yield();
  while (!done) {
    const std::vector<uint8_t> state = plugin.instance.State();
    bool whole = false;
    for (const auto& program : programs) whole = whole || state == program;
    ++saved;
    mixed += whole ? 0 : 1;
  }
  audio.join();
  EXPECT_GT(saved, 0);
  EXPECT_EQ(mixed, 0);
}

}  // namespace
