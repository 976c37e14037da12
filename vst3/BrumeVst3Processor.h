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
// store, a loaded state as one whole set (a getState during a program
// change in process may save part of the program). setProcessing does
// nothing. process never allocates, locks, waits or does I/O: every list
// it fills is sized here.
#include "effect/BrumeProcessor.h"
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
  // Changes one block passes on at their offsets; past that, the values
  // still reach the engine, from the next block's start.
  static constexpr int kMaxBlockChanges = 4096;
  static constexpr int kMaxBlockMidi = BrumeProcessor::kMidiCapacity;
  static constexpr int kMaxScratchFrames = 8192;
  static constexpr int kMaxBypassPoints = 64;

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
  // The block's parameter queues and events into changes_ and midi_, in
  // arrival order (process() then sorts them by offset).
  void CollectChanges(vst3::IParameterChanges* changes, int frames);
  void CollectEvents(vst3::IEventList* events, int frames);
  void AddChange(int offset, int index, double value);
  void AddMidi(int offset, uint8_t status, uint8_t data1, uint8_t data2);
  void LoadProgram(int offset, int program);
  void ReportProgram(vst3::IParameterChanges* out);
  double Tempo(const vst3::ProcessContext* context) const;
  template <typename Sample>
  void Render(vst3::ProcessData& data, Sample** (*channels)(vst3::AudioBusBuffers&));

  IParameterStore parameters_;
  PresetBank bank_;  // no slots: its program chunk reader and writer only
  BrumeProcessor processor_;
  double programs_[kFactoryPresetCount][kParameterCount];

  BrumeProcessor::ParameterChange changes_[kMaxBlockChanges];
  BrumeProcessor::ParameterChange changeScratch_[kMaxBlockChanges];
  int changeCount_ = 0;
  bool changesDropped_ = false;  // past kMaxBlockChanges: all values go again next block
  IMidiEvent midi_[kMaxBlockMidi];
  IMidiEvent midiScratch_[kMaxBlockMidi];
  int midiCount_ = 0;
  int programAt_ = -1;  // offset of the block's program change, or -1
  BrumeProcessor::BypassChange bypassPoints_[kMaxBypassPoints];
  int bypassCount_ = 0;
};

}  // namespace brume_vst3
