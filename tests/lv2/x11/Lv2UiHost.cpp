#include "tests/lv2/x11/Lv2UiHost.h"

#include <dlfcn.h>

#include <chrono>
#include <cstdint>
#include <cstring>
#include <limits>
#include <thread>

#include <lv2/atom/atom.h>
#include <lv2/options/options.h>
#include <lv2/urid/urid.h>

#include "lv2/BrumeLv2Ids.h"
#include "tests/x11/PrivateXvfb.h"

Lv2UiHost::Lv2UiHost(const std::string& library) {
  library_ = dlopen(library.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!library_) {
    error_ = dlerror();
    return;
  }
  auto entry = reinterpret_cast<LV2UI_DescriptorFunction>(dlsym(library_, "lv2ui_descriptor"));
  descriptor_ = entry ? entry(0) : nullptr;
  if (!descriptor_) error_ = "no lv2ui_descriptor(0)";
  display_ = XOpenDisplay(nullptr);
  if (!display_) return;
  // The host's window, at the screen's top-left corner where screenshots look.
  const int screen = DefaultScreen(display_);
  parent_ = XCreateSimpleWindow(display_, RootWindow(display_, screen), 0, 0, 815, 500, 0, 0, 0);
  XMapWindow(display_, parent_);
  XSync(display_, False);
}

Lv2UiHost::~Lv2UiHost() {
  Cleanup();
  if (display_) {
    XDestroyWindow(display_, parent_);
    XCloseDisplay(display_);
  }
  if (library_) dlclose(library_);
}

uint32_t Lv2UiHost::Map(void* handle, const char* uri) {
  auto& uris = static_cast<Lv2UiHost*>(handle)->uris_;
  for (size_t i = 0; i < uris.size(); ++i)
    if (uris[i] == uri) return static_cast<uint32_t>(i + 1);
  uris.push_back(uri);
  return static_cast<uint32_t>(uris.size());
}

bool Lv2UiHost::Instantiate(bool withParent, const char* pluginUri, float scaleFactor) {
  resize_ = LV2UI_Resize{this, Resize};
  touch_ = LV2UI_Touch{this, Touch};
  const LV2_Feature parent{LV2_UI__parent, reinterpret_cast<void*>(static_cast<uintptr_t>(parent_))};
  const LV2_Feature resize{LV2_UI__resize, &resize_};
  const LV2_Feature touch{LV2_UI__touch, &touch_};
  LV2_URID_Map map{this, Map};
  const LV2_Options_Option options[] = {
      {LV2_OPTIONS_INSTANCE, 0, Map(this, LV2_UI__scaleFactor), sizeof scaleFactor, Map(this, LV2_ATOM__Float),
       &scaleFactor},
      {LV2_OPTIONS_INSTANCE, 0, 0, 0, 0, nullptr}};
  const LV2_Feature mapFeature{LV2_URID__map, &map};
  const LV2_Feature optionsFeature{LV2_OPTIONS__options, const_cast<LV2_Options_Option*>(options)};
  const LV2_Feature* withScale[] = {&resize, &parent, &touch, &mapFeature, &optionsFeature, nullptr};
  const LV2_Feature* withAll[] = {&resize, &parent, &touch, nullptr};
  const LV2_Feature* withoutParent[] = {&resize, &touch, nullptr};
  LV2UI_Widget widget = nullptr;
  handle_ = descriptor_->instantiate(descriptor_, pluginUri ? pluginUri : brume_lv2::kPluginUri, "/nonexistent/",
                                     Write, this, &widget,
                                     !withParent ? withoutParent : scaleFactor > 0 ? withScale : withAll);
  widget_ = static_cast<Window>(reinterpret_cast<uintptr_t>(widget));
  return handle_ != nullptr;
}

void Lv2UiHost::Cleanup() {
  if (handle_) descriptor_->cleanup(handle_);
  handle_ = nullptr;
  widget_ = 0;
}

int Lv2UiHost::ChildCount() const {
  Window root = 0, parent = 0, *children = nullptr;
  unsigned count = 0;
  if (!XQueryTree(display_, parent_, &root, &parent, &children, &count)) return -1;
  if (children) XFree(children);
  return static_cast<int>(count);
}

int Lv2UiHost::Idle(int count, int hz) {
  const auto* idle = static_cast<const LV2UI_Idle_Interface*>(descriptor_->extension_data(LV2_UI__idleInterface));
  int result = -1;
  for (int i = 0; i < count && idle && handle_; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1000 / hz));
    result = idle->idle(handle_);
  }
  return result;
}

void Lv2UiHost::PortEvent(uint32_t port, float value) { descriptor_->port_event(handle_, port, sizeof value, 0, &value); }

bool Lv2UiHost::Run(const std::string& command) {
  const bool ok = RunShellCommand(command, [this] { Idle(1); });
  Idle(5);
  return ok;
}

std::unique_ptr<raster::MemoryBitmap> Lv2UiHost::Screenshot(const std::string& savePng) {
  return ScreenshotTopLeft(resizedWidth_ ? resizedWidth_ : 815, resizedHeight_ ? resizedHeight_ : 500, savePng);
}

void Lv2UiHost::Write(LV2UI_Controller controller, uint32_t port, uint32_t size, uint32_t protocol,
                      const void* buffer) {
  auto* host = static_cast<Lv2UiHost*>(controller);
  // Anything but one float on the float protocol is recorded as a NaN write.
  float value = std::numeric_limits<float>::quiet_NaN();
  if (size == sizeof value && protocol == 0) std::memcpy(&value, buffer, sizeof value);
  host->calls_.push_back(Call{'W', port, value});
}

void Lv2UiHost::Touch(LV2UI_Feature_Handle handle, uint32_t port, bool grabbed) {
  static_cast<Lv2UiHost*>(handle)->calls_.push_back(Call{grabbed ? 'B' : 'E', port, 0.0f});
}

int Lv2UiHost::Resize(LV2UI_Feature_Handle handle, int width, int height) {
  auto* host = static_cast<Lv2UiHost*>(handle);
  host->resizedWidth_ = width;
  host->resizedHeight_ = height;
  // As suil does: the host's window takes the size.
  if (host->display_ && host->parent_ && width > 0 && height > 0) {
    XResizeWindow(host->display_, host->parent_, static_cast<unsigned>(width), static_cast<unsigned>(height));
    XSync(host->display_, False);
  }
  return 0;
}
