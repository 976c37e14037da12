#pragma once
// Brume's VST3 audio processor (the component the host runs on its audio
// thread): the shared processor, fed from ProcessData: float or double
// stereo audio, parameter changes at their sample offsets, notes from the
// event bus, the mod wheel through its mapped parameter, the tempo from the
// process context. Its state is the VST 2.4 program chunk.
//
// Threads: setupProcessing and setActive come from the host's non-audio
// threads while processing is off. setState and getState may come from the
// UI thread while process runs: values pass through the lock-free parameter
// store as whole sets (a loaded state, a program that process plays), and
// getState saves one whole set, never half of two; bypass passes through
// one atomic. setProcessing does nothing. process never allocates, locks,
// waits or does I/O, and its work is bounded whatever counts the host's
// lists claim.
#include <atomic>

#include "effect/BrumeProcessor.h"
#include "effect/SharedBypass.h"
#include "effect/FactoryPresets.h"
#include "effect/ParameterIds.h"
#include "framework/IParameterStore.h"
#include "framework/PresetBank.h"
#include "vst3/Vst3Abi.h"
#include "vst3/Vst3Object.h"

namespace brume_vst3 {

class BrumeVst3Processor final : public vst3::IComponent,
                                 public vst3::IAudioProcessor,
                                 public vst3::IProcessContextRequirements,
                                 public RefCounted {
 public:
  static constexpr int kMaxScratchFrames = 8192;
  // Host list entries one block reads at most: far above any real block
  // (a queue per parameter, one event list), so that a list claiming
  // billions of entries costs no more than this.
  static constexpr int kMaxHostQueues = 1024;
  static constexpr int kMaxHostEvents = BrumeProcessor::kMaxBlockEvents;

  BrumeVst3Processor();

  BRUME_VST3_UNKNOWN_METHODS

  // IPluginBase
  vst3::tresult VST3_API initialize(vst3::FUnknown* context) override;
  vst3::tresult VST3_API terminate() override;
  // IComponent
  vst3::tresult VST3_API getControllerClassId(vst3::TUID classId) override;
  vst3::tresult VST3_API setIoMode(vst3::IoMode mode) override;
  vst3::int32 VST3_API getBusCount(vst3::MediaType type, vst3::BusDirection dir) override;
  vst3::tresult VST3_API getBusInfo(vst3::MediaType type, vst3::BusDirection dir, vst3::int32 index,
                                    vst3::BusInfo& bus) override;
  vst3::tresult VST3_API getRoutingInfo(vst3::RoutingInfo& inInfo, vst3::RoutingInfo& outInfo) override;
  vst3::tresult VST3_API activateBus(vst3::MediaType type, vst3::BusDirection dir, vst3::int32 index,
                                     vst3::TBool state) override;
  vst3::tresult VST3_API setActive(vst3::TBool state) override;
  vst3::tresult VST3_API setState(vst3::IBStream* state) override;
  vst3::tresult VST3_API getState(vst3::IBStream* state) override;
  // IAudioProcessor
  vst3::tresult VST3_API setBusArrangements(vst3::SpeakerArrangement* inputs, vst3::int32 numIns,
                                            vst3::SpeakerArrangement* outputs, vst3::int32 numOuts) override;
  vst3::tresult VST3_API getBusArrangement(vst3::BusDirection dir, vst3::int32 index,
                                           vst3::SpeakerArrangement& arr) override;
  vst3::tresult VST3_API canProcessSampleSize(vst3::int32 symbolicSampleSize) override;
  vst3::uint32 VST3_API getLatencySamples() override;
  vst3::tresult VST3_API setupProcessing(vst3::ProcessSetup& setup) override;
  vst3::tresult VST3_API setProcessing(vst3::TBool state) override;
  vst3::tresult VST3_API process(vst3::ProcessData& data) override;
  vst3::uint32 VST3_API getTailSamples() override;
  // IProcessContextRequirements
  vst3::uint32 VST3_API getProcessContextRequirements() override;

 private:
  bool Query(const vst3::TUID iid, void** obj);
  // The block's parameter queues and events into the processor's event
  // list, with the host's offsets.
  void CollectChanges(vst3::IParameterChanges* changes);
  void CollectEvents(vst3::IEventList* events);
  void AddChange(int32_t offset, int index, double value);
  void LoadProgram(int32_t offset, int program);
  void ReportProgram(vst3::IParameterChanges* out, vst3::int32 frames);
  double Tempo(const vst3::ProcessContext* context) const;
  template <typename Sample>
  void Render(vst3::ProcessData& data, Sample** (*channels)(vst3::AudioBusBuffers&));

  IParameterStore parameters_;
  PresetBank bank_;  // no slots: its program chunk reader and writer only
  BrumeProcessor processor_;
  double programs_[kFactoryPresetCount][kParameterCount];

  bool changesDropped_ = false;  // the list was full: all values go again next block
  int32_t programAt_ = -1;       // offset of the block's program change, or -1
  SharedBypass bypass_;  // for getState, from setState
};

}  // namespace brume_vst3
