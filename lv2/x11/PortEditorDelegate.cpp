#include "lv2/x11/PortEditorDelegate.h"

#include <lv2/ui/ui.h>

#include <cmath>

#include "effect/DefineParameters.h"
#include "effect/ParameterIds.h"
#include "lv2/BrumeLv2Ids.h"

PortEditorDelegate::PortEditorDelegate(WriteFunction write, void* controller, const LV2UI_Touch* touch)
    : StoreEditorDelegate(values_), values_(kParameterCount), write_(write), controller_(controller), touch_(touch) {
  // The definitions draw the controls; the values start at the defaults
  // until the host sends the plug-in's.
  DefineParameters(store_);
}

void PortEditorDelegate::PortEvent(uint32_t port, uint32_t size, uint32_t protocol, const void* buffer) {
  const int index = brume_lv2::ParameterOfPort(port);
  if (index < 0 || protocol != 0 || size != sizeof(float) || !buffer) return;
  const float value = *static_cast<const float*>(buffer);
  IParameter* parameter = store_.Parameter(index);
  if (std::isnan(value) || parameter->ClampedValueOf(value) == parameter->Value()) return;
  store_.SetClamped(index, value);
}

bool PortEditorDelegate::KeepEdit(int index, double normalised) {
  // The port carries a float: the UI's copy keeps exactly that, so the
  // host's echo of it compares equal. The view shows the edit already, so
  // the copy follows without raising its editor flag.
  IParameter* parameter = store_.Parameter(index);
  const float value = static_cast<float>(parameter->ValueOfNormalised(normalised));
  if (std::isnan(value)) return false;
  parameter->SetClamped(value);
  return true;
}

void PortEditorDelegate::HostPerformEdit(int index, double) {
  const float value = static_cast<float>(store_.Parameter(index)->Value());
  if (write_) write_(controller_, brume_lv2::PortOfParameter(index), sizeof value, 0, &value);
}

void PortEditorDelegate::Touch(int index, bool grabbed) {
  if (touch_ && touch_->touch) touch_->touch(touch_->handle, brume_lv2::PortOfParameter(index), grabbed);
}
