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
// Threads:
// - constructor and destructor: the host thread that creates / closes the
//   plug-in (the entry's creation lock, then effClose).
// - ClearProcessingState: dispatcher thread (sample rate, block size,
//   processing switched off); takes the processing lock itself.
// - ParameterChanged: whoever applies parameter changes to the engine: the
//   audio thread at the start of a block, or a holder of the processing
//   lock. Never another thread while audio runs.
// - ProcessDouble: the host's audio thread with the processing lock held.
//   Applies the parameter changes made since the last block, then asks the
//   host for the tempo once and processes.
// - HandleMidiEvent: inside effProcessEvents, processing lock held.
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

  // The engine this effect drives, with every parameter change applied;
  // for inspection by tests and tools while no audio thread runs.
  Engine& SignalEngine();
  const IMidiEventQueue& MidiQueue() const { return midiQueue_; }
  // The attached editor view (owned by the base), or null.
  IEditorView* Editor() const;

 private:
  void InstallFactoryPresets();
  void BuildEditor(EditorFactory factory);

  IMidiEventQueue midiQueue_;
  std::unique_ptr<Engine> engine_;
};
