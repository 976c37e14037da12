#pragma once
#include <atomic>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <mutex>
#include <vector>

#include "framework/ChannelBinding.h"
#include "framework/IChannels.h"
#include "framework/IAttachedEditor.h"
#include "framework/StoreEditorDelegate.h"
#include "framework/IMidiEvent.h"
#include "framework/IParameter.h"
#include "framework/IParameterStore.h"
#include "framework/IPreset.h"
#include "framework/IStateChunk.h"
#include "framework/ITransportState.h"
#include "framework/PresetBank.h"

// One index/value pair for MakePresetFromNamedParams. For parameters of an
// integral kind the value is truncated toward zero.
using IPresetValue = PresetBank::NamedValue;

// Host-independent core of a plug-in, composed of the parameter store, the
// preset bank, the channel records and the attached editor view; it adds
// the locks and the virtual operations a host binding and an effect meet
// through.
//
// Threads and locks:
//  - Parameter values live in an IParameterStore: any thread sets or reads
//    them without a lock. A change raises flags; the effect's processing
//    core applies what changed at the start of its next block (effects
//    without one do it through ApplyParameterChanges and ParameterChanged)
//    and the editor shows it on its next tick.
//  - The processing lock guards what the audio thread works on: the
//    engine, the channel records and buffers. The audio
//    thread only tries it (TryLockProcessing) and never waits: a block that
//    finds it held (a sample-rate or block-size change in progress) is
//    silent. Others hold it only for short reconfigurations
//    (ClearProcessingState, SetBlockFrames, the channel connections). MIDI
//    from the host (HandleMidiEvent) takes no lock: the effect posts it
//    without waiting.
//  - The plug-in lock (recursive) serialises the dispatcher's host threads
//    over the preset slots and state chunks. The audio thread never takes
//    it. A chunk is decoded and checked before anything changes, and what
//    reaches the audio thread is a finished parameter set.
//  - Editor thread: the IEditorDelegate calls; they take no lock and call
//    the host with none held.
// Lock order: plug-in lock, then processing lock.
class IEffectBase : public StoreEditorDelegate {
 public:
  static constexpr int kNameSize = 128;           // effect, product, maker names
  static constexpr double kPresetMarker = PresetBank::kKeepCurrent;  // "keep the current value"

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
  /* 22 */ void EditorSizeChanged() override = 0;
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

  // ---- Plug-in lock (recursive; host threads, never the audio thread) --------
  void Lock() { mutex_.lock(); }
  void Unlock() { mutex_.unlock(); }
  using LockGuard = std::lock_guard<IEffectBase>;
  void lock() { Lock(); }      // lets std::lock_guard / std::unique_lock take the base
  void unlock() { Unlock(); }

  // ---- Processing lock (recursive) ------------------------------------------
  // The audio thread: true when it may process now (then UnlockProcessing).
  bool TryLockProcessing() { return processing_.try_lock(); }
  void UnlockProcessing() { processing_.unlock(); }
  // Other threads: held for a short reconfiguration of what the audio
  // thread works on.
  using ProcessingGuard = std::lock_guard<std::recursive_mutex>;
  std::recursive_mutex& ProcessingLock() { return processing_; }

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
  double SampleRate() const { return sampleRate_.load(std::memory_order_relaxed); }
  // Caller holds the plug-in lock; the dispatcher then calls
  // ClearProcessingState, which the new rate reaches the engine through.
  // A rate outside the supported range (SampleRateRange.h) is refused:
  // false, and the stored rate stays.
  bool StoreSampleRate(double rate);
  int BlockFrames() const { return channels_.BlockFrames(); }
  int Latency() const { return latency_; }

  // ---- Parameters ----------------------------------------------------------
  int ParameterCount() const { return parameters_.Count(); }
  IParameter* Parameter(int index);
  const IParameter* Parameter(int index) const;
  // Editor controls: set from normalised and report to the host, which
  // is called with no lock held; the engine applies it on its next block.
  void SetParameterFromGUI(int index, double normalised);
  // Every parameter is applied to the engine again (index order) and shown
  // again by the editor.
  void NotifyAllParametersChanged();
  IAttachedEditor* EditorView() const { return editorView_.get(); }
  // The host's setParameter: any thread, no lock. False (nothing changed)
  // for an invalid index or NaN.
  bool SetParameterFromHost(int index, double normalised) { return parameters_.SetFromNormalised(index, normalised); }
  // Applies the parameters that changed since the last call (ParameterChanged
  // for each), for an effect without a processing core of its own, which
  // takes the changes itself. Any caller but the audio thread holds the
  // processing lock.
  void ApplyParameterChanges();

  // ---- Editor delegate (the store's): the editor's thread --------------------
  // An edit raises the engine's flags too, and reaches the host as its
  // gesture and automation calls.
  void HostBeginEdit(int index) override { HostBeginGesture(index); }
  void HostPerformEdit(int index, double normalised) override { HostParameterChanged(index, normalised); }
  void HostEndEdit(int index) override { HostEndGesture(index); }
  bool KeepEdit(int index, double normalised) override { return parameters_.SetFromNormalised(index, normalised); }

  // ---- Host identification -------------------------------------------------
  void SetHost(const char* product, int packedVersion);
  int StoredHostId() const { return hostId_; }
  int HostVersion() const { return hostVersion_; }

  // ---- Channels and audio buffers ------------------------------------------
  // Bind*/RunBlock*: the audio thread, processing lock held. Connections and
  // the block size take the processing lock themselves.
  bool LegalIO(int inputs, int outputs) const { return channels_.LegalIO(inputs, outputs); }  // -1: any count
  int ChannelIOCount() const { return channels_.ChannelIOCount(); }
  const IChannelIO* ChannelIO(int index) const { return channels_.ChannelIO(index); }
  int InputChannelCount() const { return channels_.InputChannelCount(); }
  int OutputChannelCount() const { return channels_.OutputChannelCount(); }
  bool InputConnected(int channel) const { return channels_.InputConnected(channel); }
  bool OutputConnected(int channel) const { return channels_.OutputConnected(channel); }
  void ConnectInputs(int first, int count, bool connected);
  void ConnectOutputs(int first, int count, bool connected);
  void BindInputsSingle(int first, int count, float** buffers, int frames) {
    channels_.BindInputsSingle(first, count, buffers, frames);
  }
  void BindInputsDouble(int first, int count, double** buffers) { channels_.BindInputsDouble(first, count, buffers); }
  void BindOutputsSingle(int first, int count, float** buffers) { channels_.BindOutputsSingle(first, count, buffers); }
  void BindOutputsDouble(int first, int count, double** buffers) {
    channels_.BindOutputsDouble(first, count, buffers);
  }
  // A block longer than BlockFrames() is processed in pieces of at most
  // BlockFrames() frames; with no block size set the outputs get silence.
  void RunBlockDouble(int frames) { RunBlock(frames, ChannelBinding::OutputMode::kDouble); }
  void RunBlockReplacing(int frames) { RunBlock(frames, ChannelBinding::OutputMode::kReplacing); }
  void RunBlockAdding(int frames) { RunBlock(frames, ChannelBinding::OutputMode::kAdding); }
  void RestrictToStereo();
  double* const* InputPointers() const { return channels_.InputPointers(); }
  double* const* OutputPointers() const { return channels_.OutputPointers(); }

  // ---- Preset slots (caller holds the plug-in lock) -------------------------
  int PresetCount() const { return presets_.Count(); }
  const IPreset* Preset(int index) const { return presets_.Slot(index); }
  int CurrentPreset() const { return presets_.Current(); }
  void FillEmptyPresets(const char* name, int count) { presets_.FillEmpty(name, count); }
  void MakePresetFromNamedParams(const char* name, std::initializer_list<IPresetValue> values);
  void MakePresetFromNamedParams(const char* name, const IPresetValue* values, int count);
  bool LoadPreset(int index);
  void ModifyCurrentPreset(const char* name) { presets_.StoreCurrent(name); }
  const char* PresetName(int index) const { return presets_.Name(index); }
  void NextUserPresetName(char* out) const { presets_.NextUserPresetName(out); }
  // Writes the current values as preset-maker source text; names holds one
  // text per parameter. An unopenable path writes nothing.
  void DumpPresetSource(const char* path, const char* const* names) const;

 protected:
  IParameterStore& Parameters() { return parameters_; }

 private:
  // The editor shows the values again and the binding hears of the list.
  void SlotsChanged();
  void RunBlock(int frames, ChannelBinding::OutputMode mode);

  std::recursive_mutex mutex_;
  std::recursive_mutex processing_;
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
  // Atomic: the audio thread reads it when it resets a runaway engine.
  std::atomic<double> sampleRate_{44100.0};
  int latency_;
  IParameterStore parameters_;
  std::unique_ptr<IAttachedEditor> editorView_;
  PresetBank presets_;
  ChannelBinding channels_;
};
