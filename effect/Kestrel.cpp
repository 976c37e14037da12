#include "effect/Kestrel.h"

#include "effect/DefineParameters.h"
#include "effect/EditorLayout.h"
#include "effect/FactoryPresets.h"
#include "effect/ParameterIds.h"
#include "effect/ParameterRouting.h"
#include "effect/PresetDumpPath.h"
#include "framework/NumberFormat.h"
#include "gui/IEditorView.h"

namespace {
constexpr int kVersion = 0x00010000;       // 1.0.0
constexpr int32_t kUniqueId = 0x6D706541;  // 'mpeA'
}  // namespace

Kestrel::Kestrel(audioMasterCallback host, EditorFactory editorFactory)
    : IVstBinding(host, kParameterCount, "1-1 2-2", kPresetSlots, "Brume", "", "Orvendale",
                  kVersion, kUniqueId, kUniqueId, /*latency*/ 0, /*doesMidi*/ true,
                  /*usesStateChunks*/ false, /*isInstrument*/ false),
      processor_(Parameters()) {
  // Parameters first: everything after reads their definitions.
  DefineParameters(*this);
  BuildEditor(editorFactory);
  InstallFactoryPresets();
}

void Kestrel::BuildEditor(EditorFactory factory) {
  if (std::unique_ptr<IEditorView> view = EditorLayout::BuildEditor(*this, factory))
    AttachEditor(view.release());  // the base owns the view from here on
}

// Whatever view is attached now: a host or test may attach another one.
IEditorView* Kestrel::Editor() const { return dynamic_cast<IEditorView*>(EditorView()); }

Kestrel::~Kestrel() {
  // A snapshot of the settings at close, written as one preset-maker call
  // ready to paste into the factory table. Skipped where the platform has no
  // dump location or the file cannot be created.
  if (const char* path = PresetDumpPath()) {
    LockGuard lock(*this);
    DumpPresetSource(path, kParameterIdentifiers);
  }
}

void Kestrel::InstallFactoryPresets() {
  LockGuard lock(*this);
  for (int number = 0; number < kFactoryPresetCount; ++number) {
    double values[kParameterCount];
    FactoryPresetValues(number, values);
    IPresetValue pairs[kParameterCount];
    for (int i = 0; i < kParameterCount; ++i) pairs[i] = IPresetValue{i, values[i]};
    MakePresetFromNamedParams(FactoryPresetAt(number).name, pairs, kParameterCount);
  }
  // The remaining slots get the current values, which are still the defaults.
  FillEmptyPresets("-", kPresetSlots);
}

void Kestrel::ClearProcessingState() {
  ProcessingGuard guard(ProcessingLock());
  // Rate and block size as the dispatcher stored them; the audio thread
  // cannot be inside a block while the lock is held.
  processor_.Prepare(SampleRate(), BlockFrames() > 0 ? BlockFrames() : BrumeProcessor::kDefaultMaxBlock);
}

Engine& Kestrel::SignalEngine() {
  ProcessingGuard guard(ProcessingLock());
  processor_.ApplyParameterChanges();
  return processor_.SignalEngine();
}

void Kestrel::ParameterChanged(int index) {
  if (index >= 0 && index < ParameterCount()) ApplyParameterChange(processor_.SignalEngine(), index, Parameter(index)->Value());
}

void Kestrel::AddHostBlockEvents() {
  BlockEventList& events = processor_.Events();
  // The tempo is read once per block; a host without one gets 120 BPM.
  const double tempo = HostTempo();
  events.AddTempo(0, tempo == 0.0 ? BrumeProcessor::kDefaultTempo : tempo);
  events.AddBypass(0, HostBypass());
}

void Kestrel::ProcessDouble(double** inputs, double** outputs, int frames) {
  AddHostBlockEvents();
  processor_.Process(inputs, outputs, frames);
}

void Kestrel::ProcessHostBlock(float** inputs, float** outputs, int frames, bool adding) {
  float* in[2];
  float* out[2];
  MapHostChannels(inputs, outputs, in, out, 2);
  AddHostBlockEvents();
  processor_.Process(in, out, frames, adding ? BrumeProcessor::Output::kAdd : BrumeProcessor::Output::kReplace);
}

void Kestrel::ProcessHostBlock(double** inputs, double** outputs, int frames) {
  double* in[2];
  double* out[2];
  MapHostChannels(inputs, outputs, in, out, 2);
  AddHostBlockEvents();
  processor_.Process(in, out, frames);
}

void Kestrel::HandleMidiEvent(const IMidiEvent& event) { processor_.PostMidi(event); }
