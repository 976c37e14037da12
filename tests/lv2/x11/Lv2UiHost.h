#pragma once
// A small LV2 UI host for brume_ui.so on the private Xvfb: the library
// loaded with dlopen, a top-level window as ui:parent, ui:resize and
// ui:touch offered and recorded, write_function recorded, idle() called at
// a chosen rate through the UI's idle interface.

#include <X11/Xlib.h>
#include <lv2/ui/ui.h>

#include <memory>
#include <string>
#include <vector>

#include "raster/MemoryBitmap.h"

class Lv2UiHost {
 public:
  // One call the UI made: 'B' touch begin, 'E' touch end, 'W' a write.
  struct Call {
    char kind;
    uint32_t port;
    float value;  // writes only
  };

  explicit Lv2UiHost(const std::string& library);
  ~Lv2UiHost();
  Lv2UiHost(const Lv2UiHost&) = delete;
  Lv2UiHost& operator=(const Lv2UiHost&) = delete;

  // The descriptor, or null with Error() saying why.
  const LV2UI_Descriptor* Descriptor() const { return descriptor_; }
  const std::string& Error() const { return error_; }
  // False when the UI refused; withParent false leaves out ui:parent.
  // scaleFactor > 0 is sent as the ui:scaleFactor option (with urid:map).
  bool Instantiate(bool withParent = true, const char* pluginUri = nullptr, float scaleFactor = 0.0f);
  void Cleanup();
  LV2UI_Handle Handle() const { return handle_; }
  Window Widget() const { return widget_; }
  Window Parent() const { return parent_; }
  Display* XDisplay() const { return display_; }
  int ChildCount() const;

  // `count` idle() calls, 1000 / hz ms apart; the last one's result.
  int Idle(int count, int hz = 25);
  void PortEvent(uint32_t port, float value);
  // A shell command (xdotool) run while the UI idles, then a few more idles.
  bool Run(const std::string& command);
  std::unique_ptr<raster::MemoryBitmap> Screenshot(const std::string& savePng = "");

  std::vector<Call>& Calls() { return calls_; }
  // The size the UI reported through ui:resize (0 x 0 before).
  int ResizedWidth() const { return resizedWidth_; }
  int ResizedHeight() const { return resizedHeight_; }

 private:
  static void Write(LV2UI_Controller controller, uint32_t port, uint32_t size, uint32_t protocol,
                    const void* buffer);
  static void Touch(LV2UI_Feature_Handle handle, uint32_t port, bool grabbed);
  static int Resize(LV2UI_Feature_Handle handle, int width, int height);

  void* library_ = nullptr;
  const LV2UI_Descriptor* descriptor_ = nullptr;
  std::string error_;
  Display* display_ = nullptr;
  Window parent_ = 0;
  LV2UI_Handle handle_ = nullptr;
  Window widget_ = 0;
  LV2UI_Resize resize_{};
  LV2UI_Touch touch_{};
  std::vector<Call> calls_;
  int resizedWidth_ = 0, resizedHeight_ = 0;
  std::vector<std::string> uris_;  // urid:map's table: URID n is uris_[n - 1]
  static uint32_t Map(void* handle, const char* uri);
};
