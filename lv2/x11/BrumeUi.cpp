// Brume's LV2 UI: the VST plug-in's editor (EditorLayout on the platform's
// window layer, X11) embedded in the host's window through ui:parent, driven
// by the host's idle calls (ui:idleInterface) and connected to the plug-in
// only through its control ports (PortEditorDelegate).
#include <lv2/atom/atom.h>
#include <lv2/options/options.h>
#include <lv2/ui/ui.h>
#include <lv2/urid/urid.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <new>

#include "effect/EditorLayout.h"
#include "effect/ParameterIds.h"
#include "framework/IParameter.h"
#include "gui/EditorFactory.h"
#include "gui/IEditorView.h"
#include "lv2/BrumeLv2Ids.h"
#include "lv2/x11/PortEditorDelegate.h"

namespace {

// One open UI. The view is declared after the delegate it points at, so it
// is destroyed (and its window closed, a drag it cuts short ending with
// ui:touch off) first.
struct BrumeUi {
  BrumeUi(PortEditorDelegate::WriteFunction write, void* controller, const LV2UI_Touch* touch)
      : delegate(write, controller, touch) {}
  PortEditorDelegate delegate;
  std::unique_ptr<IEditorView> view;
  // What the host's calls reach: the window, not the layer behind it.
  IEmbeddedWindow& Window() { return *view; }
};

const void* FindFeature(const LV2_Feature* const* features, const char* uri) {
  for (; features && *features; ++features)
    if (std::strcmp((*features)->URI, uri) == 0) return (*features)->data;
  return nullptr;
}

// The host's ui:scaleFactor (an atom:Float option); 0 when it sends none or
// cannot map the URIs to compare with.
double HostScaleFactor(const LV2_Feature* const* features) {
  const auto* map = static_cast<const LV2_URID_Map*>(FindFeature(features, LV2_URID__map));
  const auto* option = static_cast<const LV2_Options_Option*>(FindFeature(features, LV2_OPTIONS__options));
  if (!map || !map->map || !option) return 0.0;
  const LV2_URID scaleFactor = map->map(map->handle, LV2_UI__scaleFactor);
  const LV2_URID floatType = map->map(map->handle, LV2_ATOM__Float);
  for (; option->key != 0 || option->value; ++option)
    if (option->key == scaleFactor && option->type == floatType && option->size == sizeof(float) && option->value)
      return *static_cast<const float*>(option->value);
  return 0.0;
}

LV2UI_Handle Instantiate(const LV2UI_Descriptor*, const char* pluginUri, const char*,
                         LV2UI_Write_Function write, LV2UI_Controller controller, LV2UI_Widget* widget,
                         const LV2_Feature* const* features) {
  if (!pluginUri || std::strcmp(pluginUri, brume_lv2::kPluginUri) != 0 || !widget) return nullptr;
  // An X11 UI without a parent has nowhere to embed: the host must try
  // another UI (or none) rather than get a stray top-level window.
  void* parent = const_cast<void*>(FindFeature(features, LV2_UI__parent));
  if (!parent) return nullptr;
  const auto* resize = static_cast<const LV2UI_Resize*>(FindFeature(features, LV2_UI__resize));
  const auto* touch = static_cast<const LV2UI_Touch*>(FindFeature(features, LV2_UI__touch));
  try {
    auto ui = std::make_unique<BrumeUi>(write, controller, touch);
    ui->view = EditorLayout::BuildEditor(ui->delegate);  // showing the defaults until the host sends values
    ui->Window().SetHostScale(HostScaleFactor(features));
    // Null without an X server, or when the parent is not a window.
    void* window = ui->Window().OpenWindow(parent);
    if (!window) return nullptr;
    if (resize && resize->ui_resize) {
      // The window's WM_NORMAL_HINTS say the same (min = max = this size).
      resize->ui_resize(resize->handle, ui->Window().Width(), ui->Window().Height());
      // A later size (the user's pick in the size menu) goes the same way.
      ui->Window().SetResizeListener([resize](int width, int height) { resize->ui_resize(resize->handle, width, height); });
    }
    *widget = window;
    return ui.release();
  } catch (const std::bad_alloc&) {
    return nullptr;  // nothing may unwind into the host's C code
  }
}

void Cleanup(LV2UI_Handle handle) { delete static_cast<BrumeUi*>(handle); }

void PortEvent(LV2UI_Handle handle, uint32_t port, uint32_t size, uint32_t protocol, const void* buffer) {
  static_cast<BrumeUi*>(handle)->delegate.PortEvent(port, size, protocol, buffer);
}

// Events, the values the host sent and the redraw, all on the host's UI
// thread. Non-zero once the host has destroyed the window with its parent:
// the UI is closed then.
int Idle(LV2UI_Handle handle) {
  IEmbeddedWindow& window = static_cast<BrumeUi*>(handle)->Window();
  window.IdleWindow();
  return window.GetWindow() ? 0 : 1;
}

const LV2UI_Idle_Interface kIdleInterface = {Idle};

const void* ExtensionData(const char* uri) {
  return uri && std::strcmp(uri, LV2_UI__idleInterface) == 0 ? &kIdleInterface : nullptr;
}

const LV2UI_Descriptor kDescriptor = {brume_lv2::kUiUri, Instantiate, Cleanup, PortEvent, ExtensionData};

}  // namespace

extern "C" LV2_SYMBOL_EXPORT const LV2UI_Descriptor* lv2ui_descriptor(uint32_t index) {
  return index == 0 ? &kDescriptor : nullptr;
}
