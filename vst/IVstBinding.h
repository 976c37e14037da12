#pragma once
// The VST 2.4 host binding: the class between the host-independent plug-in
// base and a concrete effect. It owns the host callback, the effect record
// handed to the host, the speaker arrangements, the editor rectangle and the
// two chunk buffers, answers the dispatcher and the audio and parameter
// callbacks, and turns the base's host requests into host callback calls.
//
// Threads:
// - VSTDispatcher: any host thread, under the plug-in lock; the editor
//   opcodes (effEditOpen, effEditClose, effEditGetRect, effEditIdle) come
//   from the UI thread, and so does the display scale (effVendorSpecific
//   'PreS'), which resizes the editor. effEditIdle, the editor keys,
//   effEditClose (which may end an edit, calling the host), the display
//   scale and effProcessEvents (which many hosts send from the audio
//   thread) do not take the plug-in lock. effClose must be the last call
//   and no other thread may call during it.
// - VSTProcess, VSTProcessReplacing, VSTProcessDoubleReplacing: the host's
//   audio thread. They never allocate, never wait (the processing lock is
//   only tried) and run with denormals flushed.
// - VSTGetParameter, VSTSetParameter: any host thread, no lock.
// - The Host* requests are made from whichever of these threads the caller
//   runs on (HostTempo from the audio callback, automation and edit
//   gestures from the editor thread). Nothing the audio thread waits for is
//   held while the host is called.

#include <atomic>
#include <cstdint>

#include "framework/IEffectBase.h"
#include "framework/IStateChunk.h"
#include "vst/VstAbi.h"

class IVstBinding : public IEffectBase {
 public:
  // Limit on the block size a host may announce. Longer blocks are still
  // processed, in pieces. (Sample rates: framework/SampleRateRange.h.)
  static constexpr VstIntPtr kMaxBlockFrames = 65536;
  // Chunks larger than this are refused before any copy is made; a full
  // bank of this plug-in is about 140 KiB.
  static constexpr VstIntPtr kMaxChunkBytes = 64 * 1024 * 1024;

  IVstBinding(audioMasterCallback host, int parameterCount, const char* channelConfiguration, int presetCount,
              const char* effectName, const char* productName, const char* makerName, int version,
              int32_t uniqueId, int32_t makerId, int latency, bool doesMidi, bool usesStateChunks,
              bool isInstrument);
  ~IVstBinding() override;

  // The record handed to the host; lives as long as this object.
  AEffect* Effect() { return &effect_; }
  const AEffect* Effect() const { return &effect_; }
  // The plug-in behind a record, or null.
  static IVstBinding* FromEffect(AEffect* effect);

  bool DoesMidi() const { return doesMidi_; }
  const ERect& EditorRect() const { return editorRect_; }
  const VstSpeakerArrangement& InputArrangement() const { return inputArrangement_; }
  const VstSpeakerArrangement& OutputArrangement() const { return outputArrangement_; }
  // True once parameters were changed by the host (setParameter, text
  // entry) or the editor since construction or the last program or chunk
  // load. Only then does a program change store them into the current slot.
  bool EditedSinceLoad() const { return editedSinceLoad_.load(std::memory_order_relaxed); }

  // ---- Host requests (slots of IEffectBase) --------------------------------
  void HostBeginGesture(int index) override;
  void HostParameterChanged(int index, double normalised) override;
  void HostEndGesture(int index) override;
  void HostRefreshDisplay() override;
  int HostSamplePosition() override;
  double HostTempo() override;
  void HostTimeSignature(int* numerator, int* denominator) override;
  void HostTransport(ITransportState* record) override;
  int HostId() override;
  bool SendMidiEvent(const IMidiEvent& event) override;
  bool SendMidiEvents(const IMidiEvent* events, int count) override;
  void SetLatencyFrames(int frames) override;

  // ---- Dispatcher-driven operations -----------------------------------------
  void HostSpecificSetup() override;
  void AttachEditor(IAttachedEditor* view) override;
  void EditorSizeChanged() override;

  // ---- The effect record's callbacks ----------------------------------------
  static VstIntPtr VSTDispatcher(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                 float opt);
  static void VSTProcess(AEffect* effect, float** inputs, float** outputs, VstInt32 frames);
  static void VSTProcessReplacing(AEffect* effect, float** inputs, float** outputs, VstInt32 frames);
  static void VSTProcessDoubleReplacing(AEffect* effect, double** inputs, double** outputs, VstInt32 frames);
  static float VSTGetParameter(AEffect* effect, VstInt32 index);
  static void VSTSetParameter(AEffect* effect, VstInt32 index, float value);

 protected:
  // One audio block of usable host buffers (one per connected channel, in
  // order), on the audio thread with the processing lock held. By default
  // the base's channel records carry it to ProcessDouble in pieces of the
  // announced block size; an effect with a processing core of its own
  // takes the host's buffers directly.
  virtual void ProcessHostBlock(float** inputs, float** outputs, int frames, bool adding);
  virtual void ProcessHostBlock(double** inputs, double** outputs, int frames);
  // The host's buffers by channel: each of the first `channels` inputs and
  // outputs gets its host buffer when connected, null when not.
  // The host's soft bypass (effSetBypass), which the effect applies from
  // its next block; any thread sets it, the audio thread reads it.
  bool HostBypass() const { return hostBypass_.load(std::memory_order_relaxed); }
  template <typename Sample>
  void MapHostChannels(Sample** inputs, Sample** outputs, Sample** in, Sample** out, int channels) const {
    for (int c = 0, next = 0; c < channels; ++c) in[c] = InputConnected(c) ? inputs[next++] : nullptr;
    for (int c = 0, next = 0; c < channels; ++c) out[c] = OutputConnected(c) ? outputs[next++] : nullptr;
  }

 private:
  VstIntPtr CallHost(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt);
  const VstTimeInfo* HostTimeInfo(VstIntPtr wantedFlags);
  bool SendEventToHost(VstEvent* event);

  // Dispatcher pieces (VstDispatcher.cpp, VstProgramsAndChunks.cpp).
  VstIntPtr Dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt);
  VstIntPtr SetProgram(VstIntPtr index);
  VstIntPtr GetChunk(bool bank, void* ptr);
  VstIntPtr SetChunk(bool bank, VstIntPtr size, const void* data);
  VstIntPtr ProcessEvents(const VstEvents* events);
  void QueueMidiEvents(const VstEvents& events);
  VstIntPtr StringToParameter(int index, const char* text);
  VstIntPtr PinProperties(bool input, int index, VstPinProperties* pin) const;
  VstIntPtr SetSpeakerArrangement(const VstSpeakerArrangement* input, const VstSpeakerArrangement* output);
  VstIntPtr CanDo(const char* text);
  VstIntPtr EditOpen(void* parentWindow);
  VstIntPtr EditClose();
  VstIntPtr EditIdle();
  VstIntPtr EditKey(int character, int virtualKey, int modifiers, bool down);
  // The host's display scale factor ('PreS'/'AeCs'), before or after opening.
  VstIntPtr EditScale(float factor);
  // effEditGetRect: the size at the scale now in force (a closed window
  // asks the system first).
  void EditorRectNow();
  // The view changed size: new rectangle, and an open window asks the host
  // for room (audioMasterSizeWindow, when the host can).
  void EditorResized();
  void AskHostToResize();

  // Audio callback body shared by the three callbacks (VstAudioCallbacks.cpp).
  enum class BlockMode { kAdding, kReplacing, kDouble };
  template <typename Sample>
  void ProcessBlock(BlockMode mode, Sample** inputs, Sample** outputs, VstInt32 frames);
  template <typename Sample>
  bool HostBuffersUsable(Sample** inputs, Sample** outputs) const;
  template <typename Sample>
  void SilenceHostBlock(BlockMode mode, Sample** outputs, VstInt32 frames);
  template <typename Sample>
  void SilenceNonFiniteOutput(Sample** outputs, int frames);
  int ConnectedOutputCount() const;

  // Binding state; the effect record itself comes last.
  ERect editorRect_{};
  audioMasterCallback host_;
  VstSpeakerArrangement inputArrangement_{};
  VstSpeakerArrangement outputArrangement_{};
  bool hostSpecificSetupDone_ = false;
  bool doesMidi_;
  IStateChunk programChunk_;
  IStateChunk bankChunk_;
  AEffect effect_{};

  std::atomic<bool> editedSinceLoad_{false};
  std::atomic<bool> hostBypass_{false};
};
