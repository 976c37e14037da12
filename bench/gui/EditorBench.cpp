// The editor's drawing costs: a full repaint of the panel, one read-out
// changing (collect the dirty bounds, draw them), and a redraw tick with
// nothing to do.
#include <benchmark/benchmark.h>

#include "effect/Kestrel.h"
#include "effect/ParameterIds.h"
#include "gui/IControl.h"
#include "gui/headless/HeadlessEditor.h"

namespace {

struct OpenEditor {
  OpenEditor() : plugin(nullptr, HeadlessEditor::Create), editor(static_cast<HeadlessEditor*>(plugin.Editor())) {
    Kestrel::LockGuard lock(plugin);
    plugin.NotifyAllParametersChanged();
    editor->RedrawAll();
    while (editor->Tick()) {
    }
  }
  Kestrel plugin;
  HeadlessEditor* editor;
};

void BM_FullRepaint(benchmark::State& state) {
  OpenEditor open;
  for (auto _ : state) {
    open.editor->RedrawAll();
    open.editor->ClearPresents();
  }
}
BENCHMARK(BM_FullRepaint)->Unit(benchmark::kMillisecond);

void BM_OneReadOutChange(benchmark::State& state) {
  OpenEditor open;
  IControl* readOut = open.editor->GetControl(74);  // filter 1 frequency
  double value = 0.25;
  for (auto _ : state) {
    value = value == 0.25 ? 0.75 : 0.25;
    readOut->ReceiveValue(value);
    IBounds dirty;
    open.editor->CollectDirtyBounds(&dirty);
    open.editor->Draw(dirty);
    open.editor->ClearPresents();
  }
}
BENCHMARK(BM_OneReadOutChange)->Unit(benchmark::kMicrosecond);

void BM_IdleTick(benchmark::State& state) {
  OpenEditor open;
  for (auto _ : state) benchmark::DoNotOptimize(open.editor->Tick());
}
BENCHMARK(BM_IdleTick)->Unit(benchmark::kNanosecond);

}  // namespace
