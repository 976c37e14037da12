#pragma once
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <mutex>
#include <vector>

#include "framework/IChannels.h"
#include "framework/IAttachedEditor.h"
#include "framework/IMidiEvent.h"
#include "framework/IParameter.h"
#include "framework/IPreset.h"
#include "framework/IStateChunk.h"
#include "framework/ITransportState.h"

// One index/value pair for MakePresetFromNamedParams. For parameters of an
// integral kind the value is truncated toward zero.
struct IPresetValue {
  int index;
  double value;
};

// Host-independent core of a plug-in: parameters, preset slots, channel
// records, the attached editor view and the one recursive lock that
// serialises host, audio and editor threads.
//
// Threads:
//  - audio thread: the Bind*/RunBlock* operations and, through them,
//    ProcessDouble; the audio callback holds the lock around them.
//  - any host thread: dispatcher-driven operations (state and presets,
//    SetBlockFrames, StoreSampleRate, ClearProcessingState, SetHost, the
//    channel connections); the dispatcher holds the lock.
//  - editor thread: SetParameterFromGUI and AttachEditor take the lock
//    themselves.
// SerializeParams, UnserializeParams, SaveState, LoadState and the default
// ClearProcessingState/ParameterChanged/ActivationChanged take the lock too;
// it is recursive, so nested calls on one thread proceed.
class IEffectBase {
 public:
  static constexpr int kNameSize = 128;           // effect, product, maker names
  static constexpr double kPresetMarker = 9.999e-8;  // "keep the current value"

  IEffectBase(int parameterCount, const char* channelConfiguration, int presetCount,
              const char* effectName, const char* productName, const char* makerName,
              int version, int32_t uniqueId, int32_t makerId, int latency, bool doesMidi,
              bool usesStateChunks, bool isInstrument);
  IEffectBase(const IEffectBase&) = delete;
  IEffectBase& operator=(const IEffectBase&) = delete;

  // ---- Virtual operations, in slot order --------------------------------
  /* 0 */ virtual ~IEffectBase();
  /* 1 */ virtual void ClearProcessingState();
  /* 2 */ virtual void ParameterChanged(int index);
  /* 3 */ virtual void ProcessDouble(double** inputs, double** outputs, int frames);
  /* 4 */ virtual void ProcessSingle(float** inputs, float** outputs, int frames);
  /* 5 */ virtual void EditorDidOpen() {}
  /* 6 */ virtual void EditorWillClose() {}
  /* 7 */ virtual void ReservedHook1() {}
  /* 8 */ virtual void ActivationChanged(bool active);
  /* 9 */ virtual void HandleMidiEvent(const IMidiEvent& event);
  // name holds at least 64 characters (a host MIDI key-name record).
  /* 10 */ virtual bool KeyNameFor(int note, char* name);
  /* 11 */ virtual bool SaveState(IStateChunk& chunk);
  /* 12 */ virtual int LoadState(const IStateChunk& chunk, int position);
  /* 13 */ virtual void HostBeginGesture(int index) = 0;
  /* 14 */ virtual void HostParameterChanged(int index, double normalised) = 0;
  /* 15 */ virtual void HostEndGesture(int index) = 0;
  /* 16 */ virtual void HostRefreshDisplay() = 0;
  /* 17 */ virtual int HostSamplePosition() = 0;
  /* 18 */ virtual double HostTempo() = 0;
  /* 19 */ virtual void HostTimeSignature(int* numerator, int* denominator) = 0;
  /* 20 */ virtual void HostTransport(ITransportState* record) = 0;
  /* 21 */ virtual int HostId();
  /* 22 */ virtual void EditorSizeChanged() = 0;
  /* 23 */ virtual void ReservedHook2() {}
  /* 24 */ virtual bool ReservedQuery() { return false; }
  /* 25 */ virtual void HostSpecificSetup() = 0;
  /* 26 */ virtual void AttachEditor(IAttachedEditor* view);
  /* 27 */ virtual void SetBlockFrames(int frames);
  /* 28 */ virtual void SetLatencyFrames(int frames);
  /* 29 */ virtual bool SendMidiEvent(const IMidiEvent& event) = 0;
  /* 30 */ virtual bool SendMidiEvents(const IMidiEvent* events, int count) = 0;
  /* 31 */ virtual bool SerializeParams(IStateChunk& chunk);
  /* 32 */ virtual int UnserializeParams(const IStateChunk& chunk, int position);
  /* 33 */ virtual void RefreshParameterControls();
  /* 34 */ virtual bool SerializePresets(IStateChunk& chunk);
  /* 35 */ virtual int UnserializePresets(const IStateChunk& chunk, int position);
  /* 36 */ virtual void PresetListEdited() {}

  // ---- Plug-in lock (recursive) -----------------------------------------
  void Lock() { mutex_.lock(); }
  void Unlock() { mutex_.unlock(); }
  using LockGuard = std::lock_guard<IEffectBase>;
  void lock() { Lock(); }      // lets std::lock_guard / std::unique_lock take the base
  void unlock() { Unlock(); }

  // ---- Identity and settings ----------------------------------------------
  const char* EffectName() const { return effectName_; }
  const char* ProductName() const { return productName_; }
  const char* MakerName() const { return makerName_; }
  int32_t UniqueId() const { return uniqueId_; }
  int32_t MakerId() const { return makerId_; }
  int Version() const { return version_; }
  // Packed version, or major*10000 + minor*100 + patch when decimal.
  int VersionNumber(bool decimal) const;
  bool UsesStateChunks() const { return usesStateChunks_; }
  bool IsInstrument() const { return isInstrument_; }
  double SampleRate() const { return sampleRate_; }
  // Caller holds the lock; the dispatcher then calls ClearProcessingState.
  // A rate outside the supported range (SampleRateRange.h) is refused:
  // false, and the stored rate stays.
  bool StoreSampleRate(double rate);
  int BlockFrames() const { return blockFrames_; }
  int Latency() const { return latency_; }

  // ---- Parameters ----------------------------------------------------------
  int ParameterCount() const { return static_cast<int>(parameters_.size()); }
  IParameter* Parameter(int index);
  const IParameter* Parameter(int index) const;
  // Editor controls: set from normalised, report to the host, apply.
  void SetParameterFromGUI(int index, double normalised);
  // ParameterChanged for every index from 0 upward.
  void NotifyAllParametersChanged();
  IAttachedEditor* EditorView() const { return editorView_.get(); }

  // ---- Host identification -------------------------------------------------
  void SetHost(const char* product, int packedVersion);
  int StoredHostId() const { return hostId_; }
  int HostVersion() const { return hostVersion_; }

  // ---- Channels and audio buffers (caller holds the lock) -------------------
  bool LegalIO(int inputs, int outputs) const;  // -1 means any count
  int ChannelIOCount() const { return static_cast<int>(channelIOs_.size()); }
  const IChannelIO* ChannelIO(int index) const;
  int InputChannelCount() const { return static_cast<int>(inputs_.size()); }
  int OutputChannelCount() const { return static_cast<int>(outputs_.size()); }
  bool InputConnected(int channel) const;
  bool OutputConnected(int channel) const;
  void ConnectInputs(int first, int count, bool connected);
  void ConnectOutputs(int first, int count, bool connected);
  void BindInputsSingle(int first, int count, float** buffers, int frames);
  void BindInputsDouble(int first, int count, double** buffers);
  void BindOutputsSingle(int first, int count, float** buffers);
  void BindOutputsDouble(int first, int count, double** buffers);
  // A block longer than BlockFrames() is processed in pieces of at most
  // BlockFrames() frames; with no block size set the outputs get silence.
  void RunBlockDouble(int frames);
  void RunBlockReplacing(int frames);
  void RunBlockAdding(int frames);
  void RestrictToStereo();
  double* const* InputPointers() const { return inputPointers_.data(); }
  double* const* OutputPointers() const { return outputPointers_.data(); }

  // ---- Preset slots (caller holds the lock) --------------------------------
  int PresetCount() const { return static_cast<int>(presets_.size()); }
  const IPreset* Preset(int index) const;
  int CurrentPreset() const { return currentPreset_; }
  void FillEmptyPresets(const char* name, int count);
  void MakePresetFromNamedParams(const char* name, std::initializer_list<IPresetValue> values);
  void MakePresetFromNamedParams(const char* name, const IPresetValue* values, int count);
  bool LoadPreset(int index);
  void ModifyCurrentPreset(const char* name);
  const char* PresetName(int index) const;
  void NextUserPresetName(char* out) const;  // out holds IPreset::kNameSize
  // Writes the current values as preset-maker source text; names holds one
  // text per parameter. An unopenable path writes nothing.
  void DumpPresetSource(const char* path, const char* const* names) const;

 protected:
  // Holds back RefreshParameterControls while a whole parameter set is
  // applied (every ParameterChanged refreshes the editor): one refresh runs
  // when the outermost batch ends, if any was asked for. Lock held.
  class RefreshBatch {
   public:
    explicit RefreshBatch(IEffectBase& base) : base_(base) { ++base_.refreshHold_; }
    ~RefreshBatch();
    RefreshBatch(const RefreshBatch&) = delete;
    RefreshBatch& operator=(const RefreshBatch&) = delete;

   private:
    IEffectBase& base_;
  };

 private:
  enum class OutputMode { kDouble, kReplacing, kAdding };
  void ParseChannelConfiguration(const char* text);
  void RunBlock(int frames, OutputMode mode);
  void PointPiece(int offset, int frames);
  void EmitPiece(int offset, int frames, OutputMode mode);
  void SilenceBlock(int frames, OutputMode mode);

  std::vector<IChannelIO> channelIOs_;
  std::recursive_mutex mutex_;
  char effectName_[kNameSize] = {};
  char productName_[kNameSize] = {};
  char makerName_[kNameSize] = {};
  int32_t uniqueId_;
  int32_t makerId_;
  int version_;
  int hostId_ = -1;
  int hostVersion_ = 0;
  bool usesStateChunks_;
  bool isInstrument_;
  double sampleRate_ = 44100.0;
  int blockFrames_ = 0;
  int latency_;
  std::vector<IParameter> parameters_;
  std::unique_ptr<IAttachedEditor> editorView_;
  int refreshHold_ = 0;
  bool refreshPending_ = false;
  std::vector<IPreset> presets_;
  int currentPreset_ = 0;
  std::vector<double*> inputPointers_;
  std::vector<double*> outputPointers_;
  std::vector<IInputChannel> inputs_;
  std::vector<IOutputChannel> outputs_;
  int boundSingleFrames_ = 0;  // frames available behind bound float inputs
};
