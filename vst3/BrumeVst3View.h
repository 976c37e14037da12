#pragma once
// Brume's editor as a VST3 plug-in view: the same editor as the VST 2.4
// and LV2 versions (EditorLayout on the platform's window layer), embedded
// in the host's window (an X11 window id on Linux, an HWND on Windows).
// It shows the controller's values and sends edits to the host as begin,
// perform and end edit. On Linux it has no thread or timer of its own: the
// host's run loop calls it on a timer and whenever its X connection has
// events. Its size follows the display scale (the host's content scale,
// the system's, or the user's choice in the editor); a change while open is
// asked of the host through the frame.
//
// Threads: the host's UI thread only.
#include <memory>

#include "framework/StoreEditorDelegate.h"
#include "vst3/Vst3Abi.h"
#include "vst3/Vst3Object.h"

class IEditorView;

namespace brume_vst3 {

class BrumeVst3Controller;

class BrumeVst3View final : public vst3::IPlugView,
                            public vst3::IPlugViewContentScaleSupport,
                            public vst3::ITimerHandler,
                            public vst3::IEventHandler,
                            public RefCounted,
                            private StoreEditorDelegate {
 public:
  // Redraws and polls at this period when the host's run loop drives it.
  static constexpr vst3::uint64 kTimerMilliseconds = 30;

  explicit BrumeVst3View(BrumeVst3Controller* controller);
  ~BrumeVst3View() override;

  BRUME_VST3_UNKNOWN_METHODS

  // IPlugView
  vst3::tresult VST3_API isPlatformTypeSupported(vst3::FIDString type) override;
  vst3::tresult VST3_API attached(void* parent, vst3::FIDString type) override;
  vst3::tresult VST3_API removed() override;
  vst3::tresult VST3_API onWheel(float distance) override;
  vst3::tresult VST3_API onKeyDown(vst3::char16 key, vst3::int16 keyCode, vst3::int16 modifiers) override;
  vst3::tresult VST3_API onKeyUp(vst3::char16 key, vst3::int16 keyCode, vst3::int16 modifiers) override;
  vst3::tresult VST3_API getSize(vst3::ViewRect* size) override;
  vst3::tresult VST3_API onSize(vst3::ViewRect* newSize) override;
  vst3::tresult VST3_API onFocus(vst3::TBool state) override;
  vst3::tresult VST3_API setFrame(vst3::IPlugFrame* frame) override;
  vst3::tresult VST3_API canResize() override;
  vst3::tresult VST3_API checkSizeConstraint(vst3::ViewRect* rect) override;
  // IPlugViewContentScaleSupport
  vst3::tresult VST3_API setContentScaleFactor(float factor) override;
  // ITimerHandler, IEventHandler (the host's run loop)
  void VST3_API onTimer() override;
  void VST3_API onFDIsSet(int fd) override;

 private:
  bool Query(const vst3::TUID iid, void** obj);
  // The editor, made once: its size is known before the host attaches it.
  IEditorView* Editor();
  // The editor's size changed (scale): the host is asked for room.
  void Resized(int width, int height);
  void Listen();
  void StopListening();

  // The controller's values; edits go to the host as begin, perform and
  // end edit, and the processor hears them through the host.
  void HostBeginEdit(int index) override;
  void HostPerformEdit(int index, double normalised) override;
  void HostEndEdit(int index) override;

  BrumeVst3Controller* controller_;
  vst3::IPlugFrame* frame_ = nullptr;
  vst3::IRunLoop* runLoop_ = nullptr;
  bool timer_ = false, events_ = false;
  bool resizing_ = false;
  std::unique_ptr<IEditorView> view_;
};

}  // namespace brume_vst3
