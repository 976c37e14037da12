#pragma once
// What a test effect's next audio block would apply and what its editor
// would take on its next tick.
#include <utility>
#include <vector>

#include "framework/IEditorDelegate.h"

// Index and real value of every change the editor has not taken yet.
inline std::vector<std::pair<int, double>> EditorChangesOf(IEditorDelegate& plugin) {
  struct Sink : IEditorDelegate::ValueSink {
    std::vector<std::pair<int, double>> got;
    void ReceiveParameterValue(int index, double value) override { got.emplace_back(index, value); }
  } sink;
  plugin.TakeEditorChanges(sink);
  return sink.got;
}

// The indexes ParameterChanged sees when the changes are applied (the
// effect records them in `changed`).
template <typename Effect>
std::vector<int> AppliedChangesOf(Effect& effect) {
  effect.changed.clear();
  effect.ApplyParameterChanges();
  return effect.changed;
}
