// What the VST3 processor does with hosts that lie or race: lists that
// claim billions of entries or stop giving them, a negative frame count,
// and getState while process plays program changes.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <climits>
#include <thread>
#include <vector>

#include "effect/BrumeProcessor.h"
#include "effect/FactoryPresets.h"
#include "effect/Kestrel.h"
#include "tests/Vst24Reference.h"
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
  // One block of the host's lists, with audio of `frames` frames.
  tresult Process(int32 frames, IParameterChanges* changes, IEventList* events) {
    float* channels[2] = {left.data(), right.data()};
    AudioBusBuffers inputs{}, outputs{};
    inputs.numChannels = outputs.numChannels = 2;
    inputs.channelBuffers32 = outputs.channelBuffers32 = channels;
    ProcessData data{};
    data.symbolicSampleSize = kSample32;
    data.numSamples = frames;
    data.numInputs = data.numOutputs = 1;
    data.inputs = &inputs;
    data.outputs = &outputs;
    data.inputParameterChanges = changes;
    data.inputEvents = events;
    return instance.processor->process(data);
  }
};

// Whatever the counts claim, one block reads no more entries than the
// processor's event list holds, and a list stops at the first entry the
// host fails to give. A negative frame count with notes and points renders
// nothing, and no offset arithmetic overflows (the sanitizers' build checks).
TEST(Vst3HostLists, ListsAndCountsTheHostGetsWrongCostABoundedBlock) {
  Plugin plugin;
  EndlessChanges changes;
  EndlessEvents events;
  EXPECT_EQ(plugin.Process(256, &changes, &events), kResultOk);
  const long bound = 2L * BrumeProcessor::kMaxBlockEvents + 2 * brume_vst3::BrumeVst3Processor::kMaxHostQueues;
  EXPECT_LE(changes.reads + changes.queue.reads, bound);
  EXPECT_LE(events.reads, bound);
  for (float v : plugin.left) ASSERT_TRUE(std::isfinite(v));

  EndlessChanges failing;
  failing.given = 3;
  EndlessEvents failingEvents;
  failingEvents.given = 5;
  plugin.Process(256, &failing, &failingEvents);
  EXPECT_EQ(failingEvents.reads, 6);
  EXPECT_LE(failing.reads, 2 * 4);  // two passes (programs first), each up to the failing entry

  ParameterChanges point;
  point.Add(kGain, 5, 0.2);
  EventList note;
  note.Note(true, 3, 60, 0.5f);
  std::fill(plugin.left.begin(), plugin.left.end(), 0.1f);
  EXPECT_EQ(plugin.Process(INT_MIN, &point, &note), kResultOk);
  EXPECT_EQ(plugin.left[0], 0.1f);
}

// getState on the UI thread while process plays program after program: every
// state saved is one whole factory program, never part of two.
TEST(Vst3HostLists, GetStateDuringProgramChangesSavesOneWholeProgram) {
  Plugin plugin;
  Kestrel reference(&ReferenceHost, nullptr);
  AEffect* e = reference.Effect();
  std::vector<StateBytes> programs;
  for (int p = 0; p < kFactoryPresetCount; ++p) {
    e->dispatcher(e, effSetProgram, 0, p, nullptr, 0.0f);
    programs.push_back(StateWithBypass(Vst2Chunk(e), false));
  }
  std::atomic<bool> started{false}, done{false};
  std::thread audio([&] {
    for (int block = 0; block < 3000; ++block) {
      if (block == 1) started = true;
      ParameterChanges changes;
      changes.Add(brume_vst3::kProgramId, block % 64, (block % kFactoryPresetCount) / 19.0);
      plugin.Process(64, &changes, nullptr);
    }
    done = true;
  });
  int saved = 0, mixed = 0;
  while (!started) std::this_thread::yield();
  for (; !done; ++saved) mixed += std::count(programs.begin(), programs.end(), plugin.instance.State()) ? 0 : 1;
  audio.join();
  EXPECT_GT(saved, 0);
  EXPECT_EQ(mixed, 0);
}

}  // namespace
