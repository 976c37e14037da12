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

BrumeVst3View::BrumeVst3View(BrumeVst3Controller* controller) : controller_(controller) { controller_->addRef(); }

BrumeVst3View::~BrumeVst3View() {
  removed();
  controller_->release();
}

bool BrumeVst3View::Query(const TUID iid, void** obj) {
  return Offer<FUnknown, IPlugView>(this, iid, obj) || Offer<IPlugView>(this, iid, obj) ||
         Offer<ITimerHandler>(this, iid, obj) || Offer<IEventHandler>(this, iid, obj);
}

tresult BrumeVst3View::isPlatformTypeSupported(FIDString type) {
  return type && std::strcmp(type, kPlatformType) == 0 ? kResultTrue : kResultFalse;
}

tresult BrumeVst3View::attached(void* parent, FIDString type) {
  if (!parent || isPlatformTypeSupported(type) != kResultTrue) return kInvalidArgument;
  removed();
  // The editor as the VST 2.4 plug-in builds it, showing the controller's
  // values; its own window layer draws it.
  view_.reset(CreatePlatformEditor(this, EditorLayout::kWidth, EditorLayout::kHeight, 0));
  if (!view_) return kResultFalse;
  EditorLayout::Build(*view_, *this);
  IParameterStore& values = controller_->Parameters();
  for (int index = 0; index < kParameterCount; ++index)
    view_->PushParameterToControls(index, values.Parameter(index)->Value(), false);
  view_->PrepareDrawing();
  EditorLayout::ShowMatrixPage(*view_, view_->ParameterValue(kMatrixTab) != 0.0);
  if (!view_->OpenWindow(parent)) {
    view_.reset();
    return kResultFalse;
  }
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
  // Closing ends a drag the host cut short (with its end edit).
  if (view_) view_->CloseWindow();
  view_.reset();
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

tresult BrumeVst3View::getSize(ViewRect* size) {
  if (!size) return kInvalidArgument;
  *size = ViewRect{0, 0, EditorLayout::kWidth, EditorLayout::kHeight};
  return kResultOk;
}

tresult BrumeVst3View::onSize(ViewRect* size) {
  if (!size) return kInvalidArgument;
  const bool same = size->right - size->left == EditorLayout::kWidth && size->bottom - size->top == EditorLayout::kHeight;
  return same ? kResultOk : kResultFalse;
}

tresult BrumeVst3View::checkSizeConstraint(ViewRect* rect) {
  if (!rect) return kInvalidArgument;
  rect->right = rect->left + EditorLayout::kWidth;
  rect->bottom = rect->top + EditorLayout::kHeight;
  return kResultOk;
}

tresult BrumeVst3View::setFrame(IPlugFrame* frame) {
  if (frame != frame_) StopListening();
  frame_ = frame;
  if (view_) Listen();
  return kResultOk;
}

const IParameter* BrumeVst3View::EditorParameter(int index) const {
  return controller_->Parameters().Parameter(index);
}

void BrumeVst3View::BeginEdit(int index) {
  if (IComponentHandler* host = controller_->Handler()) host->beginEdit(static_cast<ParamID>(index));
}

// The view shows the edit already: the controller's copy follows without
// raising its editor flag, the host is told, and the processor hears it
// through the host.
void BrumeVst3View::SetValueFromEditor(int index, double normalised) {
  IParameter* parameter = controller_->Parameters().Parameter(index);
  if (!parameter || normalised != normalised) return;
  parameter->SetFromNormalised(normalised);
  if (IComponentHandler* host = controller_->Handler())
    host->performEdit(static_cast<ParamID>(index), parameter->Normalised());
}

void BrumeVst3View::EndEdit(int index) {
  if (IComponentHandler* host = controller_->Handler()) host->endEdit(static_cast<ParamID>(index));
}

void BrumeVst3View::TakeEditorChanges(ValueSink& sink) {
  IParameterStore& values = controller_->Parameters();
  values.TakeEditorChanges([&](int index) { sink.ReceiveParameterValue(index, values.Parameter(index)->Value()); });
}

}  // namespace brume_vst3
