#pragma once
#include <memory>

#include "engine/Engine.h"
#include "framework/IMidiEventQueue.h"
#include "gui/EditorFactory.h"
#include "vst/IVstBinding.h"
#include "vst/VstAbi.h"

// The effect "Brume": 106 parameters, 128 program slots (20 factory
// presets), stereo or mono in and out, and the signal engine it drives.
//
// Threads (all entries run under the recursive plug-in lock):
// - constructor and destructor: the host thread that creates / closes the
//   plug-in (the entry's creation lock, then effClose).
// - ClearProcessingState: dispatcher thread (sample rate, block size,
//   processing switched off); takes the lock itself.
// - ParameterChanged: any host thread, the editor thread, or the dispatcher
//   while it applies a preset or state; takes the lock itself.
// - ProcessDouble: the host's audio thread, called by the framework with the
//   lock held. Asks the host for the tempo once per block.
// - HandleMidiEvent: dispatcher thread inside effProcessEvents, lock held.
class Kestrel final : public IVstBinding {
 public:
  static constexpr int kPresetSlots = 128;
  static constexpr int kMidiQueueSize = 1024;

  // The editor comes from the platform's window layer unless a factory for
  // another one (the headless editor of tests and tools) is given.
  explicit Kestrel(audioMasterCallback host, EditorFactory editorFactory = CreatePlatformEditor);
  ~Kestrel() override;

  void ClearProcessingState() override;
  void ParameterChanged(int index) override;
  void ProcessDouble(double** inputs, double** outputs, int frames) override;
  void HandleMidiEvent(const IMidiEvent& event) override;

  // The engine this effect drives; for inspection by tests and tools.
  Engine& SignalEngine() { return *engine_; }
  const Engine& SignalEngine() const { return *engine_; }
  const IMidiEventQueue& MidiQueue() const { return midiQueue_; }
  // The attached editor view (owned by the base), or null.
  IEditorView* Editor() const;

 private:
  void InstallFactoryPresets();
  void BuildEditor(EditorFactory factory);

  IMidiEventQueue midiQueue_;
  std::unique_ptr<Engine> engine_;
};
