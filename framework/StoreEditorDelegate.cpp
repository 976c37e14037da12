#include "framework/StoreEditorDelegate.h"

#include <cmath>

void StoreEditorDelegate::BeginEdit(int index) {
  if (store_.Parameter(index)) HostBeginEdit(index);
}

void StoreEditorDelegate::EndEdit(int index) {
  if (store_.Parameter(index)) HostEndEdit(index);
}

void StoreEditorDelegate::SetValueFromEditor(int index, double normalised) {
  if (!store_.Parameter(index) || std::isnan(normalised)) return;
  if (KeepEdit(index, normalised)) HostPerformEdit(index, normalised);
}

bool StoreEditorDelegate::KeepEdit(int index, double normalised) {
  store_.Parameter(index)->SetFromNormalised(normalised);
  return true;
}

void StoreEditorDelegate::TakeEditorChanges(ValueSink& sink) {
  store_.TakeEditorChanges([&](int index) { sink.ReceiveParameterValue(index, store_.Parameter(index)->Value()); });
}
