#include "vst3/BrumeVst3View.h"

#include <cstring>

#include "effect/EditorLayout.h"
#include "effect/ParameterIds.h"
#include "gui/EditorFactory.h"
#include "gui/IEditorView.h"
#include "vst3/BrumeVst3Controller.h"

namespace brume_vst3 {

using namespace vst3;

namespace {
#ifdef _WIN32
constexpr const char* kPlatformType = kPlatformTypeHWND;
#else
constexpr const char* kPlatformType = kPlatformTypeX11EmbedWindowID;
#endif
}  // namespace

BrumeVst3View::BrumeVst3View(BrumeVst3Controller* controller)
    : StoreEditorDelegate(controller->Parameters()), controller_(controller) {
  controller_->addRef();
}

BrumeVst3View::~BrumeVst3View() {
  removed();
  view_.reset();  // ends an edit a destroyed view cuts short, while the controller is there
  controller_->release();
}

bool BrumeVst3View::Query(const TUID iid, void** obj) {
  return Offer<FUnknown, IPlugView>(this, iid, obj) || Offer<IPlugView>(this, iid, obj) ||
         Offer<IPlugViewContentScaleSupport>(this, iid, obj) || Offer<ITimerHandler>(this, iid, obj) ||
         Offer<IEventHandler>(this, iid, obj);
}

IEditorView* BrumeVst3View::Editor() {
  if (view_) return view_.get();
  // Brume's editor showing the controller's values.
  view_ = EditorLayout::BuildEditor(*this);
  if (!view_) return nullptr;
  view_->SetResizeListener([this](int width, int height) { Resized(width, height); });
  return view_.get();
}

void BrumeVst3View::Resized(int width, int height) {
  if (!frame_ || !view_ || !view_->GetWindow() || resizing_) return;
  // The host resizes its window and calls onSize from inside this call.
  resizing_ = true;
  ViewRect rect{0, 0, width, height};
  frame_->resizeView(this, &rect);
  resizing_ = false;
}

tresult BrumeVst3View::setContentScaleFactor(float factor) {
  if (!(factor > 0.0f)) return kResultFalse;
  if (IEditorView* editor = Editor()) editor->SetHostScale(factor);  // a change while open reaches Resized
  return kResultTrue;
}

tresult BrumeVst3View::isPlatformTypeSupported(FIDString type) {
  return type && std::strcmp(type, kPlatformType) == 0 ? kResultTrue : kResultFalse;
}

tresult BrumeVst3View::attached(void* parent, FIDString type) {
  if (!parent || isPlatformTypeSupported(type) != kResultTrue) return kInvalidArgument;
  StopListening();
  IEditorView* editor = Editor();
  if (!editor) return kResultFalse;
  if (editor->GetWindow()) editor->CloseWindow();
  // A scale first seen while opening (the parent's display or monitor) is
  // asked of the host as a resize, which it may take from inside attached.
  const int width = editor->Width(), height = editor->Height();
  if (!editor->OpenWindow(parent)) return kResultFalse;
  if (editor->Width() != width || editor->Height() != height) Resized(editor->Width(), editor->Height());
  Listen();
  return kResultOk;
}

// Linux: the run loop comes with the host's frame. Without one the view
// stays as first drawn; Windows has timers of its own.
void BrumeVst3View::Listen() {
  if (!frame_ || runLoop_) return;
  void* loop = nullptr;
  if (frame_->queryInterface(IRunLoop::iid.bytes, &loop) != kResultOk || !loop) return;
  runLoop_ = static_cast<IRunLoop*>(loop);
  timer_ = runLoop_->registerTimer(this, kTimerMilliseconds) == kResultOk;
  const int fd = view_ ? view_->EventDescriptor() : -1;
  events_ = fd >= 0 && runLoop_->registerEventHandler(this, fd) == kResultOk;
}

void BrumeVst3View::StopListening() {
  if (!runLoop_) return;
  if (timer_) runLoop_->unregisterTimer(this);
  if (events_) runLoop_->unregisterEventHandler(this);
  timer_ = events_ = false;
  runLoop_->release();
  runLoop_ = nullptr;
}

tresult BrumeVst3View::removed() {
  StopListening();
  // Closing ends a drag the host cut short (with its end edit). The editor
  // itself stays, so its size and scale hold for the next attach.
  if (view_ && view_->GetWindow()) view_->CloseWindow();
  return kResultOk;
}

void BrumeVst3View::onTimer() {
  if (view_) view_->IdleWindow();
}

void BrumeVst3View::onFDIsSet(int) {
  if (view_) view_->IdleWindow();
}

tresult BrumeVst3View::onWheel(float) { return kResultFalse; }
tresult BrumeVst3View::onKeyDown(char16, int16, int16) { return kResultFalse; }
tresult BrumeVst3View::onKeyUp(char16, int16, int16) { return kResultFalse; }
tresult BrumeVst3View::onFocus(TBool) { return kResultOk; }
tresult BrumeVst3View::canResize() { return kResultFalse; }

// The size at the scale in use; while closed the system's scale is asked
// for first, so the host makes room for what attached() will open.
tresult BrumeVst3View::getSize(ViewRect* size) {
  if (!size) return kInvalidArgument;
  IEditorView* editor = Editor();
  if (!editor) return kResultFalse;
  if (!editor->GetWindow()) editor->QuerySystemScale();
  *size = ViewRect{0, 0, editor->Width(), editor->Height()};
  return kResultOk;
}

// The editor sizes its own window; the host's rectangle is taken when it
// is the editor's size (the answer to a resize the view asked for).
tresult BrumeVst3View::onSize(ViewRect* size) {
  if (!size) return kInvalidArgument;
  IEditorView* editor = Editor();
  const bool same = editor && size->right - size->left == editor->Width() && size->bottom - size->top == editor->Height();
  return same ? kResultOk : kResultFalse;
}

tresult BrumeVst3View::checkSizeConstraint(ViewRect* rect) {
  if (!rect) return kInvalidArgument;
  IEditorView* editor = Editor();
  if (!editor) return kResultFalse;
  rect->right = rect->left + editor->Width();
  rect->bottom = rect->top + editor->Height();
  return kResultOk;
}

tresult BrumeVst3View::setFrame(IPlugFrame* frame) {
  if (frame != frame_) StopListening();
  frame_ = frame;
  if (view_) Listen();
  return kResultOk;
}

void BrumeVst3View::HostBeginEdit(int index) {
  if (IComponentHandler* host = controller_->Handler()) host->beginEdit(static_cast<ParamID>(index));
}

void BrumeVst3View::HostPerformEdit(int index, double) {
  if (IComponentHandler* host = controller_->Handler())
    host->performEdit(static_cast<ParamID>(index), store_.Parameter(index)->Normalised());
}

void BrumeVst3View::HostEndEdit(int index) {
  if (IComponentHandler* host = controller_->Handler()) host->endEdit(static_cast<ParamID>(index));
}

}  // namespace brume_vst3
