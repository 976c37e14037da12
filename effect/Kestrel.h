#pragma once
#include <memory>

#include "effect/BrumeProcessor.h"
#include "engine/Engine.h"
#include "gui/EditorFactory.h"
#include "vst/IVstBinding.h"
#include "vst/VstAbi.h"

// The effect "Brume" as a VST 2.4 plug-in: 106 parameters, 128 program
// slots (20 factory presets), stereo or mono in and out. Its signal path is
// the shared BrumeProcessor; this class only maps the host's channels,
// tempo and MIDI onto it.
//
// Threads:
// - constructor and destructor: the host thread that creates / closes the
//   plug-in (the entry's creation lock, then effClose).
// - ClearProcessingState: dispatcher thread (sample rate, block size,
//   processing switched off); takes the processing lock itself, so the
//   processor is prepared (and may allocate) only between blocks.
// - ParameterChanged: whoever applies parameter changes to the engine: the
//   audio thread at the start of a block, or a holder of the processing
//   lock. Never another thread while audio runs.
// - ProcessDouble, ProcessHostBlock: the host's audio thread with the
//   processing lock held. Ask the host for the tempo once per block.
// - HandleMidiEvent: inside effProcessEvents, any thread, no lock: the
//   event is posted to the processor without waiting.
class Kestrel final : public IVstBinding {
 public:
  static constexpr int kPresetSlots = 128;

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
  // MIDI posted or waiting for its frame, not yet played.
  int PendingMidi() const { return processor_.PendingMidi(); }
  // The attached editor view (owned by the base), or null.
  IEditorView* Editor() const;

 protected:
  void ProcessHostBlock(float** inputs, float** outputs, int frames, bool adding) override;
  void ProcessHostBlock(double** inputs, double** outputs, int frames) override;

 private:
  void InstallFactoryPresets();
  void BuildEditor(EditorFactory factory);
  // The host's tempo and bypass, for the block about to play.
  void AddHostBlockEvents();

  BrumeProcessor processor_;
};
