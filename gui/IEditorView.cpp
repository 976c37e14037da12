#include "gui/IEditorView.h"

#include <cctype>
#include <cmath>
#include <cstring>

#include "framework/IEditorDelegate.h"
#include "framework/IParameter.h"
#include "gui/EmbeddedResource.h"
#include "gui/IBitmapCache.h"
#include "gui/IControl.h"
#include "gui/IControls.h"
#include "gui/IFontCache.h"
#include "gui/TypedValue.h"
#include "gui/UserSettings.h"
#include "raster/Blit.h"
#include "raster/Font.h"
#include "raster/PngReader.h"
#include "raster/Reduce.h"
#include "raster/MemoryBitmap.h"
#include "raster/SystemBitmap.h"

IEditorView::IEditorView(IEditorDelegate* plugin, int width, int height, int frameRate)
    : plugin_(plugin),
      width_(width),
      height_(height),
      frameRate_(frameRate > 0 ? frameRate : kDefaultFrameRate) {
  scaleSources_.environment = EditorScale::FromEnvironment();
  scaleSources_.user = UserSettings::LoadScale();
  scale_ = scaleSources_.Resolve();
}

IEditorView::~IEditorView() {
  EndGesture();
  keyCatcher_.reset();
  DeleteControls();
  backingStore_.reset();
}

void IEditorView::DeleteControls() {
  // An open panel menu points at a control.
  pendingMenu_.reset();
  pendingHandler_ = nullptr;
  pendingParam_ = -1;
  controlsByParam_.clear();
  while (!controls_.empty()) controls_.pop_back();  // last to first
}

void IEditorView::IndexControl(IControl* control) {
  const int param = control->ParamIndex();
  if (param < 0) return;
  if (param >= static_cast<int>(controlsByParam_.size())) controlsByParam_.resize(static_cast<size_t>(param) + 1);
  controlsByParam_[static_cast<size_t>(param)].push_back(control);
}

void IEditorView::PrepareDrawing() { backingStore_ = std::make_unique<raster::SystemBitmap>(Width(), Height()); }

// ---- Scale ---------------------------------------------------------------------------

void IEditorView::SetUserScale(int percent) {
  scaleSources_.user = percent;
  ApplyScale();
}

void IEditorView::SetSystemScale(int percent) {
  scaleSources_.system = percent;
  ApplyScale();
}

void IEditorView::SetHostScale(double factor) {
  scaleSources_.host = EditorScale::Snap(factor);
  ApplyScale();
}

bool IEditorView::ApplyScale() {
  const int percent = scaleSources_.Resolve();
  if (percent == scale_) return false;
  scale_ = percent;
  scaledImages_.clear();
  if (backingStore_) backingStore_ = std::make_unique<raster::SystemBitmap>(Width(), Height());
  MarkAllControlsDirty();
  ScaleChanged();
  if (resizeListener_) resizeListener_(Width(), Height());
  return true;
}

size_t IEditorView::ScaledImageBytes() const {
  size_t bytes = 0;
  for (const ScaledImage& image : scaledImages_)
    if (image.bitmap)
      bytes += static_cast<size_t>(image.bitmap->RowSpan()) * image.bitmap->Height() * sizeof(raster::Pixel);
  return bytes;
}

raster::Bitmap* IEditorView::BackingStore() const { return backingStore_.get(); }

// ---- Controls --------------------------------------------------------------------

int IEditorView::SetBackground(int resourceId, const char* fileName) {
  const IImage image = LoadImage(resourceId, fileName, 1);
  auto* background = new IBitmapControl(plugin_, 0, 0, -1, image, IBlend::kCopy);
  background->SetView(this);
  controls_.insert(controls_.begin(), std::unique_ptr<IControl>(background));
  IndexControl(background);
  return 0;
}

int IEditorView::AddControl(IControl* control) {
  if (!control) return -1;
  control->SetView(this);
  controls_.emplace_back(control);
  IndexControl(control);
  return static_cast<int>(controls_.size()) - 1;
}

IControl* IEditorView::GetControl(int index) const {
  if (index < 0 || index >= static_cast<int>(controls_.size())) return nullptr;
  return controls_[static_cast<size_t>(index)].get();
}

void IEditorView::SetKeyCatcher(IControl* control) {
  if (control) control->SetView(this);
  keyCatcher_.reset(control);
}

void IEditorView::MarkAllControlsDirty() {
  for (auto& control : controls_) control->MarkDirty(false);
}

void IEditorView::PushParameterToControls(int paramIndex, double value, bool isNormalised) {
  const IParameter* parameter = plugin_ ? plugin_->EditorParameter(paramIndex) : nullptr;
  if (!parameter || std::isnan(value)) return;
  if (static_cast<int>(values_.size()) <= paramIndex) values_.resize(static_cast<size_t>(paramIndex) + 1, 0.0);
  values_[static_cast<size_t>(paramIndex)] = isNormalised ? parameter->ValueOfNormalised(value) : value;
  if (paramIndex >= static_cast<int>(controlsByParam_.size())) return;
  const double normalised = isNormalised ? value : parameter->NormalisedOf(value);
  for (IControl* control : controlsByParam_[static_cast<size_t>(paramIndex)]) control->ReceiveValue(normalised);
}

void IEditorView::ReceiveParameterValue(int paramIndex, double value) {
  PushParameterToControls(paramIndex, value, false);
  if (valueObserver_) valueObserver_(*this, paramIndex, ParameterValue(paramIndex));
}

void IEditorView::SyncWithPlugin() {
  if (plugin_) plugin_->TakeEditorChanges(*this);
}

double IEditorView::ParameterValue(int paramIndex) const {
  if (paramIndex < 0 || paramIndex >= static_cast<int>(values_.size())) return 0.0;
  return values_[static_cast<size_t>(paramIndex)];
}

void IEditorView::SendParameterValue(int paramIndex, double normalised) {
  if (!plugin_ || !plugin_->EditorParameter(paramIndex) || std::isnan(normalised)) return;
  // Every control of the parameter shows the edit at once.
  PushParameterToControls(paramIndex, normalised, true);
  plugin_->SetValueFromEditor(paramIndex, normalised);
  if (valueObserver_) valueObserver_(*this, paramIndex, ParameterValue(paramIndex));
}

// ---- Images and text ----------------------------------------------------------------

std::unique_ptr<raster::Bitmap> DecodePngResource(const void* data, size_t size, const char* fileName) {
  const char* dot = fileName ? std::strrchr(fileName, '.') : nullptr;
  if (!dot) return nullptr;
  const char* extension = dot + 1;
  if (std::strlen(extension) != 3) return nullptr;
  for (int i = 0; i < 3; ++i)
    if (std::tolower(static_cast<unsigned char>(extension[i])) != "png"[i]) return nullptr;
  if (!data || size < 8) return nullptr;
  return raster::ReadPngFromMemory(data, size);
}

std::unique_ptr<raster::Bitmap> IEditorView::LoadPngResource(int resourceId, const char* fileName) {
  const void* data = nullptr;
  size_t size = 0;
  if (!FindEmbeddedResource(resourceId, &data, &size)) return nullptr;
  return DecodePngResource(data, size, fileName);
}

IImage IEditorView::LoadImage(int resourceId, const char* fileName, int frameCount) {
  raster::Bitmap* bitmap = IBitmapCache::Find(resourceId);
  if (!bitmap) bitmap = IBitmapCache::Insert(resourceId, LoadPngResource(resourceId, fileName));
  IImage image;
  image.frames = frameCount < 1 ? 1 : frameCount;
  image.resourceId = resourceId;
  image.fileName = fileName;
  if (bitmap) {
    image.bitmap = bitmap;
    image.width = bitmap->Width();
    image.height = bitmap->Height();
  }
  return image;
}

namespace {
// The image's frames reduced from its master to the scale: each frame as
// tall as any mapping of it can be, so a frame never shows its neighbour.
std::unique_ptr<raster::Bitmap> ReduceMaster(const raster::Bitmap& master, const IImage& image, int percent) {
  const int frameHeight = image.height / image.frames;
  const int masterFrame = EditorScale::kMaster * frameHeight / 100;
  // Only a master at exactly the master scale is used: anything else would
  // be stretched.
  if (master.Width() * 100 != image.width * EditorScale::kMaster || master.Height() != masterFrame * image.frames)
    return nullptr;
  const int width = (image.width * percent + 99) / 100, height = (frameHeight * percent + 99) / 100;
  auto reduced = std::make_unique<raster::MemoryBitmap>(width, height * image.frames);
  if (reduced->Width() != width) return nullptr;
  for (int f = 0; f < image.frames; ++f)
    raster::ReduceArea(master, f * masterFrame, masterFrame, static_cast<double>(EditorScale::kMaster) / percent,
                       *reduced, f * height, height);
  return reduced;
}

// The name of an image's master: "x.png" -> "x_3x.png".
std::string MasterFileName(const char* fileName) {
  std::string name = fileName ? fileName : "";
  const size_t dot = name.rfind('.');
  return dot == std::string::npos ? name : name.insert(dot, "_3x");
}

// Cache keys of scaled images: apart from every resource id.
int ScaledKey(int resourceId, int percent) { return 1000000 + resourceId * 1000 + percent; }
}  // namespace

raster::Bitmap* IEditorView::ScaledBitmap(const IImage& image) {
  if (scale_ == EditorScale::kMin || !image.bitmap) return image.bitmap;
  for (const ScaledImage& known : scaledImages_)
    if (known.resourceId == image.resourceId) return known.bitmap;
  const int key = ScaledKey(image.resourceId, scale_);
  raster::Bitmap* bitmap = IBitmapCache::Find(key);
  if (!bitmap) {
    const int masterId = image.resourceId + IImage::kMasterIdOffset;
    if (std::unique_ptr<raster::Bitmap> master = LoadPngResource(masterId, MasterFileName(image.fileName).c_str()))
      bitmap = IBitmapCache::Insert(key, ReduceMaster(*master, image, scale_));
  }
  scaledImages_.push_back(ScaledImage{image.resourceId, bitmap});
  return bitmap;
}

bool IEditorView::DrawImage(const IImage& image, const IBounds& logicalDest, int srcX, int srcY,
                            const IBlend* blend) {
  const IBounds dest = EditorScale::Physical(logicalDest, scale_);
  const IBounds clipped = dest.Intersect(EditorScale::Physical(drawBounds_, scale_));
  return BlitImage(image, dest, clipped, EditorScale::Physical(srcX, scale_), EditorScale::Physical(srcY, scale_),
                   blend);
}

bool IEditorView::DrawScaledFrame(const IImage& image, const IBounds& logicalDest, int physicalSrcY,
                                  const IBlend* blend) {
  const IBounds dest = EditorScale::Physical(logicalDest, scale_);
  const IBounds clipped = dest.Intersect(EditorScale::Physical(drawBounds_, scale_));
  return BlitImage(image, dest, clipped, 0, physicalSrcY, blend);
}

bool IEditorView::BlitImage(const IImage& image, const IBounds& dest, const IBounds& clipped, int srcX, int srcY,
                            const IBlend* blend) {
  raster::Bitmap* bitmap = ScaledBitmap(image);
  // A missing image (undecodable PNG) leaves whatever is underneath.
  if (clipped.Empty() || !bitmap || !backingStore_) return true;
  int mode = raster::kBlitCopy | raster::kBlitUseSourceAlpha;
  float weight = 1.0f;
  if (blend) {
    weight = blend->weight;
    switch (blend->method) {
      case IBlend::kCopy: mode = raster::kBlitCopy; break;
      case IBlend::kAdd: mode = raster::kBlitAdd | raster::kBlitUseSourceAlpha; break;
      case IBlend::kColourDodge: mode = raster::kBlitDodge | raster::kBlitUseSourceAlpha; break;
      default: break;
    }
  }
  raster::Blit(backingStore_.get(), bitmap, clipped.L, clipped.T, srcX + clipped.L - dest.L,
               srcY + clipped.T - dest.T, clipped.W(), clipped.H(), weight, mode);
  return true;
}

bool IEditorView::DrawImageFrame(const IImage& image, const IBounds& dest, int frame, const IBlend* blend) {
  if (image.frames <= 1 || frame <= 1) return DrawImage(image, dest, 0, 0, blend);
  // Frames of a scaled image are whole physical rows apart; DrawImage maps
  // the logical offset the same way.
  const int frameHeight = image.height / image.frames;
  if (scale_ == EditorScale::kMin) return DrawImage(image, dest, 0, frameHeight * (frame - 1), blend);
  const int physicalFrame = (frameHeight * scale_ + 99) / 100;
  return DrawScaledFrame(image, dest, physicalFrame * (frame - 1), blend);
}

bool IEditorView::DrawText(ITextStyle& style, const char* text, const IBounds& bounds) {
  if (!text || !*text) return true;
  const int pixelSize = EditorScale::Physical(style.size, scale_);
  if (!style.font || style.fontSize != pixelSize) {
    ITextStyle scaled = style;
    scaled.size = pixelSize;
    style.font = IFontCache::FontFor(scaled);
    style.fontSize = pixelSize;
  }
  if (!style.font) return false;
  const IBounds box = EditorScale::Physical(bounds, scale_);
  raster::Font& font = *style.font;
  font.SetTextColour(style.colour.Packed());
  int flags = raster::kTextNoClip;
  if (style.align == ITextStyle::kAlignCentre) flags |= raster::kTextCentre;
  else if (style.align != ITextStyle::kAlignLeft) flags |= raster::kTextRight;
  if (style.colour.A != 255) flags |= raster::kTextBlendAlpha;
  if (backingStore_)
    font.RenderText(backingStore_.get(), text, -1, raster::TextBounds{box.L, box.T, box.R, box.B}, flags);
  return true;
}

// ---- Drawing ------------------------------------------------------------------------

bool IEditorView::CollectDirtyBounds(IBounds* out) const {
  IBounds dirty;
  bool any = false;
  for (const auto& control : controls_)
    if (control->NeedsRedraw()) {
      dirty = dirty.Union(control->Bounds());
      any = true;
    }
  if (out) *out = EditorScale::Physical(dirty, scale_);
  return any;
}

IBounds IEditorView::CoverTouchedControls(IBounds bounds) const {
  // Text is drawn unclipped, so a control that the bounds only partly cover
  // would paint its whole text over pixels the background did not repaint
  // and make it heavier each time. Grow the bounds until they hold every
  // visible control they touch (the background excepted).
  for (bool grown = true; grown;) {
    grown = false;
    for (size_t i = 1; i < controls_.size(); ++i) {
      const IControl& control = *controls_[i];
      const IBounds& own = control.Bounds();
      if (control.IsHidden() || own.Empty() || bounds.Intersect(own).Empty()) continue;
      const IBounds united = bounds.Union(own);
      if (!(united == bounds)) bounds = united, grown = true;
    }
  }
  return bounds;
}

bool IEditorView::Draw(const IBounds& physical) {
  if (controls_.empty()) return true;
  const IBounds requested = EditorScale::LogicalCover(physical, scale_);
  const IBounds bounds = requested.Empty() ? requested : CoverTouchedControls(requested);
  drawBounds_ = bounds;
  for (auto& control : controls_) {
    const IBounds& own = control->Bounds();
    if (!control->IsHidden() && !bounds.Empty() && !own.Empty() && !bounds.Intersect(own).Empty())
      control->Draw(*this);
    control->MarkDrawn();
  }
  return PresentToScreen(EditorScale::Physical(bounds, scale_));
}

// ---- Events ------------------------------------------------------------------------

int IEditorView::FindControl(int x, int y, bool allowGreyedMouseOver) const {
  for (int i = static_cast<int>(controls_.size()) - 1; i >= 0; --i) {
    const IControl& control = *controls_[static_cast<size_t>(i)];
    if (control.IsHidden()) continue;
    if (control.IsGrayed() && !(allowGreyedMouseOver && control.MouseOverWhenGrayed())) continue;
    if (control.HitTest(x, y)) return i;
  }
  return -1;
}

int IEditorView::ControlAt(int x, int y) const {
  return FindControl(EditorScale::Logical(x, scale_), EditorScale::Logical(y, scale_), false);
}

void IEditorView::ReleaseMouseCapture() {
  captureIndex_ = -1;
  lastX_ = lastY_ = -1;
}

void IEditorView::BeginGesture(int paramIndex) {
  EndGesture();
  if (paramIndex < 0 || !plugin_) return;
  plugin_->BeginEdit(paramIndex);
  gestureParam_ = paramIndex;
}

void IEditorView::EndGesture() {
  if (gestureParam_ < 0) return;
  const int param = gestureParam_;
  gestureParam_ = -1;
  if (plugin_) plugin_->EndEdit(param);
}

void IEditorView::EndInput() {
  ReleaseMouseCapture();
  EndGesture();
}

void IEditorView::CloseWindow() {
  EndInput();
  CloseNativeWindow();
}

void IEditorView::OnMouseDown(int x, int y, const IMouseMods& mods) {
  x = EditorScale::Logical(x, scale_), y = EditorScale::Logical(y, scale_);
  EndInput();
  const int index = FindControl(x, y, false);
  if (index < 0) return;
  IControl* control = GetControl(index);
  captureIndex_ = index;
  lastX_ = x, lastY_ = y;
  // The edit begins before the control reacts: a click that changes the
  // value at once (switch, toggle, a modal menu) must reach the host inside
  // begin/end, or hosts recording touch automation drop it.
  BeginGesture(control->ParamIndex());
  control->OnMouseDown(x, y, mods);
  // A modal menu swallows the release that would end the edit and resets
  // the capture to say so: end the edit here.
  if (captureIndex_ < 0) EndGesture();
}

void IEditorView::OnMouseUp(int x, int y, const IMouseMods& mods) {
  x = EditorScale::Logical(x, scale_), y = EditorScale::Logical(y, scale_);
  const int index = captureIndex_ >= 0 ? captureIndex_ : FindControl(x, y, false);
  ReleaseMouseCapture();
  IControl* control = GetControl(index);
  if (control) control->OnMouseUp(x, y, mods);
  // Only an edit that began ends: the release after a double click (whose
  // edit is complete) must not send an end the host never saw begin.
  EndGesture();
}

void IEditorView::OnMouseDrag(int x, int y, const IMouseMods& mods) {
  x = EditorScale::Logical(x, scale_), y = EditorScale::Logical(y, scale_);
  IControl* control = GetControl(captureIndex_);
  if (!control || (x == lastX_ && y == lastY_)) return;
  const int dX = x - lastX_, dY = y - lastY_;
  lastX_ = x, lastY_ = y;
  control->OnMouseDrag(x, y, dX, dY, mods);
}

bool IEditorView::OnMouseDoubleClick(int x, int y, const IMouseMods& mods) {
  x = EditorScale::Logical(x, scale_), y = EditorScale::Logical(y, scale_);
  EndInput();
  const int index = FindControl(x, y, false);
  IControl* control = GetControl(index);
  if (!control) return false;
  if (!control->DoubleClickAsMouseDown()) {
    // A gesture of its own: back to the default, say, inside begin/end.
    BeginGesture(control->ParamIndex());
    control->OnMouseDoubleClick(x, y, mods);
    EndGesture();
    return false;
  }
  captureIndex_ = index;
  lastX_ = x, lastY_ = y;
  BeginGesture(control->ParamIndex());
  control->OnMouseDown(x, y, mods);
  if (captureIndex_ < 0) EndGesture();
  return true;
}

void IEditorView::OnMouseWheel(int x, int y, const IMouseMods& mods, int notches) {
  x = EditorScale::Logical(x, scale_), y = EditorScale::Logical(y, scale_);
  IControl* control = GetControl(captureIndex_ >= 0 ? captureIndex_ : FindControl(x, y, false));
  if (!control) return;
  // During a drag the step belongs to the drag's edit; otherwise each step
  // is an edit of its own.
  const bool own = gestureParam_ < 0 || gestureParam_ != control->ParamIndex();
  if (own) BeginGesture(control->ParamIndex());
  control->OnMouseWheel(x, y, mods, notches);
  if (own) EndGesture();
}

void IEditorView::ApplyEnteredText(IControl& control, const IParameter* parameter, const char* text) {
  const bool own = gestureParam_ < 0 || gestureParam_ != control.ParamIndex();
  if (own) BeginGesture(control.ParamIndex());
  ApplyTypedValue(control, parameter, text);
  if (own) EndGesture();
}

bool IEditorView::OnKeyDown(int x, int y, int key) {
  x = EditorScale::Logical(x, scale_), y = EditorScale::Logical(y, scale_);
  const int index = captureIndex_ >= 0 ? captureIndex_ : FindControl(x, y, false);
  if (index <= 0) return keyCatcher_ ? keyCatcher_->OnKeyDown(x, y, key) : false;
  return controls_[static_cast<size_t>(index)]->OnKeyDown(x, y, key);
}

bool IEditorView::OnMouseOver(int x, int y, const IMouseMods& mods) {
  x = EditorScale::Logical(x, scale_), y = EditorScale::Logical(y, scale_);
  if (!mouseOverReporting_) return false;
  const int index = captureIndex_ >= 0 ? captureIndex_ : FindControl(x, y, true);
  if (index < 0) return true;
  lastX_ = x, lastY_ = y;
  controls_[static_cast<size_t>(index)]->OnMouseOver(x, y, mods);
  if (mouseOverIndex_ >= 0 && mouseOverIndex_ != index)
    if (IControl* previous = GetControl(mouseOverIndex_)) previous->OnMouseOut();
  mouseOverIndex_ = index;
  return true;
}

void IEditorView::OnMouseOut() {
  for (auto& control : controls_) control->OnMouseOut();
  mouseOverIndex_ = -1;
}

// ---- Menus and prompts ------------------------------------------------------------------

void IEditorView::RunMenu(std::unique_ptr<IMenu> menu, const IBounds& anchor, int paramIndex, MenuHandler handler) {
  if (!menu || !handler) return;
  CompleteMenu(-1);  // a menu still open in the panel is answered "nothing"
  if (MenusAreModal()) {
    const IMenu* result = ShowPopupMenu(menu.get(), EditorScale::Physical(anchor, scale_));
    handler(result ? result->chosen : -1);
    return;
  }
  pendingMenu_ = std::move(menu);
  pendingHandler_ = std::move(handler);
  pendingParam_ = paramIndex;
  ShowPopupMenu(pendingMenu_.get(), EditorScale::Physical(anchor, scale_));
}

void IEditorView::CompleteMenu(int chosen) {
  if (!pendingMenu_) return;
  MenuHandler handler = std::move(pendingHandler_);
  const int param = pendingParam_;
  pendingMenu_.reset();
  pendingHandler_ = nullptr;
  pendingParam_ = -1;
  if (chosen < 0) {
    handler(-1);
    return;
  }
  // The click that opened the menu has ended its edit long ago.
  BeginGesture(param);
  handler(chosen);
  EndGesture();
}

void IEditorView::PromptForValue(IControl* control, const IParameter* parameter, const IBounds& bounds) {
  if (!control || !parameter || bounds.Empty()) return;
  const int kind = parameter->Kind();
  if (kind == IParameter::kEnum || (kind == IParameter::kBool && parameter->ValueTextCount() > 0)) {
    auto menu = std::make_unique<IMenu>();
    char current[IParameter::kTextSize];
    parameter->DisplayText(ParameterValue(control->ParamIndex()), false, current, true);
    for (int i = 0; i < parameter->ValueTextCount(); ++i) {
      IMenuItem item;
      item.text = parameter->ValueText(i);
      if (item.text == current) {
        item.flags |= IMenuItem::kChecked;
        menu->current = i;
      }
      menu->items.push_back(std::move(item));
    }
    RunMenu(std::move(menu), bounds, control->ParamIndex(), [control, parameter](int chosen) {
      if (chosen >= 0) control->ApplyUserValue(parameter->NormalisedOf(chosen));
    });
    return;
  }
  char text[IParameter::kTextSize];
  parameter->DisplayText(ParameterValue(control->ParamIndex()), false, text, false);
  ITextStyle style = control->TextStyle();
  style.size = EditorScale::Physical(style.size, scale_);
  style.font = nullptr;
  ShowTextEntry(control, style, EditorScale::Physical(bounds, scale_), text, parameter);
}

void IEditorView::ResizeEditor(int width, int height) {
  width_ = width;
  height_ = height;
  captureIndex_ = -1;
  mouseOverIndex_ = -1;
  EndGesture();
  DeleteControls();
  if (plugin_) plugin_->EditorSizeChanged();
}
