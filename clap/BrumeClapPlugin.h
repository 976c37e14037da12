#pragma once
// Brume as one CLAP plug-in instance: the shared processor fed from the
// process call (float or double stereo audio, parameter values in their
// own units at their sample times, notes and MIDI, the transport's tempo),
// the 106 parameters and a bypass switch, Brume's state (the VST 2.4
// program chunk and the bypass), and the editor embedded in the host's
// window, driven on Linux only by the host's timer and the X connection's
// file descriptor.
//
// Threads, as CLAP names them:
// - main thread: init, destroy, activate, deactivate, the parameter
//   queries, state save and load (load may come while active: values reach
//   the engine as one whole set that fades), the editor, timers and fds.
// - audio thread: start and stop processing, reset, process, and flush
//   while active. None of these allocates, locks or waits.
// - get_extension: any thread.
// Editor edits go to the host as gesture begin, value and end through the
// next process or flush call's output events (the host is asked to flush).
#include <atomic>
#include <memory>

#include "clap/ClapAbi.h"
#include "clap/EditQueue.h"
#include "effect/BrumeProcessor.h"
#include "effect/SharedBypass.h"
#include "framework/IParameterStore.h"
#include "framework/PresetBank.h"
#include "framework/StoreEditorDelegate.h"

class IEditorView;

namespace brume_clap {

class BrumeClapPlugin final : private StoreEditorDelegate {
 public:
  // Larger host blocks run in pieces of this many frames.
  static constexpr int kMaxScratchFrames = 8192;
  // Far above one state (864 bytes); a longer stream is not Brume's.
  static constexpr int kMaxStateBytes = 1 << 16;
  static constexpr uint32_t kTimerMilliseconds = 30;

  BrumeClapPlugin(const clap::Host* host, const clap::PluginDescriptor* descriptor);
  ~BrumeClapPlugin() override;

  const clap::Plugin* Plugin() const { return &plugin_; }

 private:
  static BrumeClapPlugin& Self(const clap::Plugin* plugin) { return *static_cast<BrumeClapPlugin*>(plugin->plugin_data); }
  template <typename Extension>
  const Extension* HostExtension(const char* id) const;

  // clap_plugin
  bool Init();
  bool Activate(double sampleRate, uint32_t maxFrames);
  void Deactivate();
  int32_t Process(const clap::Process& process);
  const void* Extension(const char* id) const;

  // The host's events into the processor's list; their values into the
  // store (what get_value and the state report).
  void ReadEvents(const clap::InputEvents* in);
  void ReadEvent(const clap::EventHeader& header);
  // The editor's gestures as output events.
  void EmitEdits(const clap::OutputEvents* out);
  void Flush(const clap::InputEvents* in, const clap::OutputEvents* out);
  template <typename Sample>
  void Render(const clap::Process& process, Sample** (*channels)(const clap::AudioBuffer&));

  // clap.state
  bool Save(const clap::OutputStream* stream) const;
  bool Load(const clap::InputStream* stream);

  // clap.gui
  bool CreateEditor(const char* api, bool floating);
  void DestroyEditor();
  bool SetParent(const clap::Window* window);
  bool ShowEditor();
  void HideEditor();
  void Listen();
  void StopListening();
  void Idle();

  // The store delegate: edits go to the engine (flags) and to the host.
  bool KeepEdit(int index, double normalised) override { return store_.SetFromNormalised(index, normalised); }
  void HostBeginEdit(int index) override;
  void HostPerformEdit(int index, double normalised) override;
  void HostEndEdit(int index) override;
  void RequestFlush() const;

  const clap::Host* host_;
  clap::Plugin plugin_;
  IParameterStore parameters_;
  PresetBank bank_;  // no slots: its program chunk reader and writer only
  BrumeProcessor processor_;
  bool active_ = false;
  bool changesDropped_ = false;
  SharedBypass bypass_;  // for get_value and the state, from a load
  EditQueue edits_;

  const clap::HostParams* hostParams_ = nullptr;
  const clap::HostGui* hostGui_ = nullptr;
  const clap::HostTimerSupport* hostTimers_ = nullptr;
  const clap::HostPosixFdSupport* hostFds_ = nullptr;

  std::unique_ptr<IEditorView> editor_;
  void* parent_ = nullptr;
  uint32_t timer_ = clap::kInvalidId;  // a host's first timer id may be 0
  int fd_ = -1;
};

}  // namespace brume_clap
