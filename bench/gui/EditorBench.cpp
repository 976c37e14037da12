// The editor's drawing costs: a full repaint of the panel, one read-out
// changing (collect the dirty bounds, draw them), and a redraw tick with
// nothing to do; each at 100, 150, 200 and 300 % (the argument). The
// full repaint also reports the bytes of the scaled images the view drew
// from (scaled_image_bytes).
#include <benchmark/benchmark.h>

#include "effect/Kestrel.h"
#include "effect/ParameterIds.h"
#include "gui/IControl.h"
#include "gui/headless/HeadlessEditor.h"

namespace {

struct OpenEditor {
  explicit OpenEditor(int scale)
      : plugin(nullptr, HeadlessEditor::Create), editor(static_cast<HeadlessEditor*>(plugin.Editor())) {
    Kestrel::LockGuard lock(plugin);
    plugin.NotifyAllParametersChanged();
    editor->SetUserScale(scale);
    editor->RedrawAll();
    while (editor->Tick()) {
    }
  }
  Kestrel plugin;
  HeadlessEditor* editor;
};

void BM_FullRepaint(benchmark::State& state) {
  OpenEditor open(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    open.editor->RedrawAll();
    open.editor->ClearPresents();
  }
  state.counters["scaled_image_bytes"] = static_cast<double>(open.editor->ScaledImageBytes());
}
BENCHMARK(BM_FullRepaint)->Arg(100)->Arg(150)->Arg(200)->Arg(300)->Unit(benchmark::kMillisecond);

void BM_OneReadOutChange(benchmark::State& state) {
  OpenEditor open(static_cast<int>(state.range(0)));
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
BENCHMARK(BM_OneReadOutChange)->Arg(100)->Arg(150)->Arg(200)->Arg(300)->Unit(benchmark::kMicrosecond);

void BM_IdleTick(benchmark::State& state) {
  OpenEditor open(static_cast<int>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(open.editor->Tick());
}
BENCHMARK(BM_IdleTick)->Arg(100)->Arg(150)->Arg(200)->Arg(300)->Unit(benchmark::kNanosecond);

}  // namespace
