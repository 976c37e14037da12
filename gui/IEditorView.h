#pragma once
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/IAttachedEditor.h"
#include "framework/IEditorDelegate.h"
#include "gui/EditorScale.h"
#include "gui/IEmbeddedWindow.h"
#include "gui/IGraphicsTypes.h"

class IControl;
class IParameter;
namespace raster {
class Bitmap;
class SystemBitmap;
}  // namespace raster

// The platform-neutral editor: a fixed-size backing store at the display
// scale, the ordered list
// of controls painted onto it, mouse and key routing to those controls and
// the link between controls and the plug-in's parameters. A window layer
// (win32, x11, or the headless one of the tests and tools) derives from it,
// shows the backing store and feeds events in; it is also the window a
// plug-in format opens (IEmbeddedWindow).
//
// The view keeps its own copy of every parameter value, and the controls
// draw from it. It reaches the plug-in only through IEditorDelegate: edits
// go out as begin, value, end; values come in on each tick
// (SyncWithPlugin), which takes only what changed.
//
// Threads: everything runs on the window's thread (the host's UI thread),
// PushParameterToControls included. Construction, building the controls
// and attachment happen while the plug-in is built.
//
// Scale: controls and the layout work in logical pixels (the size given at
// construction); the backing store, the window and every event a layer
// passes in are physical pixels (EditorScale maps between them). Text is
// drawn at the scaled pixel height and images are reduced from their
// masters, never enlarged.
class IEditorView : public IAttachedEditor, public IEmbeddedWindow, private IEditorDelegate::ValueSink {
 public:
  static constexpr int kDefaultFrameRate = 25;

  IEditorView(IEditorDelegate* plugin, int width, int height, int frameRate);
  // Ends an edit still open (a drag the view goes away in).
  ~IEditorView() override;
  IEditorView(const IEditorView&) = delete;
  IEditorView& operator=(const IEditorView&) = delete;

  // ---- IAttachedEditor ------------------------------------------------------
  // Also records the value (in the parameter's own units) as the view's copy.
  void PushParameterToControls(int paramIndex, double value, bool isNormalised) override;
  // Creates the backing store; the base calls it once the values are pushed.
  void PrepareDrawing() override;
  // (Also IEmbeddedWindow's size.) Physical pixels.
  int Width() const override { return EditorScale::Physical(width_, scale_); }
  int Height() const override { return EditorScale::Physical(height_, scale_); }

  // ---- Scale --------------------------------------------------------------------
  int Scale() const { return scale_; }
  const EditorScale::Sources& ScaleSources() const { return scaleSources_; }
  // Each source (percent, 0: none) re-resolves the scale; a change redraws
  // at the new size and tells the layer (ScaleChanged) and the listener.
  void SetUserScale(int percent);
  void SetSystemScale(int percent);
  void SetHostScale(double factor) override;
  void SetResizeListener(ResizeListener listener) override { resizeListener_ = std::move(listener); }

  // ---- IEmbeddedWindow ---------------------------------------------------------
  // Every layer's close: the input in progress ends first (EndInput), then
  // the layer closes its window (CloseNativeWindow).
  void CloseWindow() final;

  // ---- Controls ---------------------------------------------------------------
  // Loads the image and puts a plain-copy bitmap control at index 0.
  int SetBackground(int resourceId, const char* fileName);
  // Takes ownership; returns the control's index.
  int AddControl(IControl* control);
  IControl* GetControl(int index) const;
  int ControlCount() const { return static_cast<int>(controls_.size()); }
  void MarkAllControlsDirty();
  void SetKeyCatcher(IControl* control);  // takes ownership

  // ---- Images and text -----------------------------------------------------
  IImage LoadImage(int resourceId, const char* fileName, int frameCount);
  bool DrawImage(const IImage& image, const IBounds& dest, int srcX, int srcY, const IBlend* blend);
  bool DrawImageFrame(const IImage& image, const IBounds& dest, int frame, const IBlend* blend);
  // False only when no font can be made for the style.
  bool DrawText(ITextStyle& style, const char* text, const IBounds& bounds);

  // ---- Drawing ----------------------------------------------------------------
  // Union of the bounds of every control that needs a redraw (physical).
  bool CollectDirtyBounds(IBounds* out) const;
  // Paints the controls intersecting bounds (physical; list order), then
  // presents. The bounds grow to cover whole controls, so text is never
  // drawn twice over itself.
  bool Draw(const IBounds& bounds);
  raster::Bitmap* BackingStore() const;
  // Logical.
  const IBounds& DrawBounds() const { return drawBounds_; }
  // Bytes of the scaled images this view drew from (the 100 % images not
  // counted).
  size_t ScaledImageBytes() const;

  // ---- Events (physical pixels; controls get logical ones) ---------------------------------------------------
  void OnMouseDown(int x, int y, const IMouseMods& mods);
  void OnMouseUp(int x, int y, const IMouseMods& mods);
  void OnMouseDrag(int x, int y, const IMouseMods& mods);
  // True: the window must capture the mouse.
  bool OnMouseDoubleClick(int x, int y, const IMouseMods& mods);
  void OnMouseWheel(int x, int y, const IMouseMods& mods, int notches);
  // True: the window must ask for a mouse-leave notice.
  bool OnMouseOver(int x, int y, const IMouseMods& mods);
  void OnMouseOut();
  // True when a control used the key.
  bool OnKeyDown(int x, int y, int key);
  // The index of the control a click at this window point goes to, or -1.
  int ControlAt(int x, int y) const;
  // Forgets the captured control and the last mouse position (a menu that
  // swallowed the release must not leave a drag behind).
  void ReleaseMouseCapture();

  // Typed text for a control, applied as an edit of its own unless the
  // gesture that opened the entry is still going on.
  void ApplyEnteredText(IControl& control, const IParameter* parameter, const char* text);

  // A value menu for enumerations, text entry otherwise.
  void PromptForValue(IControl* control, const IParameter* parameter, const IBounds& bounds);

  // Shows a menu through ShowPopupMenu (anchor logical; the layer gets it
  // physical); handler gets the chosen index (-1:
  // none). Modal layers answer at once. A layer whose menus live inside the
  // panel answers later with CompleteMenu; the change it carries is then
  // reported to the host as a gesture of its own on paramIndex (if >= 0).
  using MenuHandler = std::function<void(int chosen)>;
  void RunMenu(std::unique_ptr<IMenu> menu, const IBounds& anchor, int paramIndex, MenuHandler handler);
  IMenu* PendingMenu() const { return pendingMenu_.get(); }
  void CompleteMenu(int chosen);

  // ---- Parameter values -----------------------------------------------------------
  // Takes the values changed since the last tick from the plug-in and gives
  // them to their controls. Every window layer calls it on each tick.
  void SyncWithPlugin();
  // The view's copy of a parameter's value (own units); 0 for a bad index.
  double ParameterValue(int paramIndex) const;
  // A control's edit: the view's copy follows at once, then the plug-in.
  void SendParameterValue(int paramIndex, double normalised);
  // Called with every value that reaches the view from the plug-in (the
  // editor layout uses it to follow the page parameter).
  using ValueObserver = std::function<void(IEditorView& view, int paramIndex, double value)>;
  void SetValueObserver(ValueObserver observer) { valueObserver_ = std::move(observer); }

  IEditorDelegate* Plugin() const { return plugin_; }
  int FrameRate() const { return frameRate_; }
  int CapturedControl() const { return captureIndex_; }

  // ---- Platform hooks ----------------------------------------------------------
  // Copies bounds of the backing store to the screen.
  virtual bool PresentToScreen(const IBounds& bounds) = 0;
  virtual void CancelTextEntry() = 0;
  // Base: new size, no controls (the caller rebuilds them), host told.
  virtual void ResizeEditor(int width, int height);
  virtual bool WindowIsOpen() { return GetWindow() != nullptr; }
  // Reserved: a descriptive text of the window (none in any layer).
  virtual const char* WindowDescription() { return ""; }
  // Shows the menu; returns it with its chosen index set, or null when
  // nothing was chosen.
  virtual IMenu* ShowPopupMenu(IMenu* menu, const IBounds& bounds) = 0;
  // False for layers whose ShowPopupMenu returns at once and answers later
  // through CompleteMenu.
  virtual bool MenusAreModal() const { return true; }
  // Edits initialText in place; the typed value is applied later.
  virtual void ShowTextEntry(IControl* control, const ITextStyle& style, const IBounds& bounds,
                             const char* initialText, const IParameter* parameter) = 0;
  virtual void GetHostPath(std::string& out) = 0;
  virtual void GetPluginPath(std::string& out) = 0;
  enum FileAction { kFileOpen = 0, kFileSave = 1 };
  virtual void ChooseFile(std::string& inOutFileName, int action, std::string& inOutDirectory,
                          const char* extensions) = 0;
  virtual bool PickColor(IRgba& inOutColour, const char* title) = 0;
  virtual bool OpenLink(const char* url, const char* windowTitle, const char* confirmText,
                        const char* errorText) = 0;
  // Reserved: a native object beside the window (none in any layer).
  virtual void* NativeExtension() { return nullptr; }
  // (OpenWindow and GetWindow: IEmbeddedWindow.)
  // The scale changed (the backing store has its new size): an open
  // window takes the new size.
  virtual void ScaleChanged() {}
  // Reserved hooks around opening; no layer needs them.
  virtual void WindowWillOpen() {}
  virtual void WindowDidOpen() {}
  // Closes the layer's window, if open; CloseWindow calls it.
  virtual void CloseNativeWindow() = 0;
  // The embedded PNG with this id, decoded; null when it cannot be had.
  // Base: the image built into this binary (FindEmbeddedResource).
  virtual std::unique_ptr<raster::Bitmap> LoadPngResource(int resourceId, const char* fileName);

 protected:
  // The control under the point: last first, neither hidden nor greyed.
  int FindControl(int x, int y, bool allowGreyedMouseOver) const;
  void DeleteControls();
  void IndexControl(IControl* control);
  IBounds CoverTouchedControls(IBounds bounds) const;
  // Resolves the sources; true when the scale changed.
  bool ApplyScale();
  // The image's bitmap at the current scale; null when it cannot be had.
  raster::Bitmap* ScaledBitmap(const IImage& image);
  bool DrawScaledFrame(const IImage& image, const IBounds& logicalDest, int physicalSrcY, const IBlend* blend);
  // dest and clipped physical, the source offset in the scaled image.
  bool BlitImage(const IImage& image, const IBounds& dest, const IBounds& clipped, int srcX, int srcY,
                 const IBlend* blend);
  // Every value the editor sends lies inside one begin/end pair of its
  // parameter; at most one such edit is open at a time.
  void BeginGesture(int paramIndex);
  void EndGesture();
  // The window the mouse worked through is gone (closed, or destroyed by
  // the host): the captured control is forgotten and its edit ends, so the
  // host never keeps a begin without its end.
  void EndInput();

 private:
  void ReceiveParameterValue(int paramIndex, double value) override;

  IEditorDelegate* plugin_;
  std::vector<double> values_;  // the view's copy, own units
  ValueObserver valueObserver_;
  std::vector<std::unique_ptr<IControl>> controls_;
  // The controls of each parameter index, kept up to date as controls are
  // added, so a value pushed in touches only its own controls and never
  // allocates.
  std::vector<std::vector<IControl*>> controlsByParam_;
  IBounds drawBounds_;
  std::unique_ptr<raster::SystemBitmap> backingStore_;
  int width_;   // logical
  int height_;  // logical
  EditorScale::Sources scaleSources_;
  int scale_ = EditorScale::kMin;
  ResizeListener resizeListener_;
  struct ScaledImage {
    int resourceId;
    raster::Bitmap* bitmap;
  };
  std::vector<ScaledImage> scaledImages_;  // of scale_
  int frameRate_;
  int captureIndex_ = -1;
  int gestureParam_ = -1;  // the parameter whose edit is open, or -1
  int mouseOverIndex_ = -1;
  int lastX_ = 0;
  int lastY_ = 0;
  bool mouseOverReporting_ = false;
  bool strictDrawing_ = true;
  std::unique_ptr<IControl> keyCatcher_;
  std::unique_ptr<IMenu> pendingMenu_;
  MenuHandler pendingHandler_;
  int pendingParam_ = -1;
};

// The PNG bytes of an embedded image, decoded: the file name must end in
// ".png" (any case) and the data hold at least a PNG signature. Shared by
// every window layer's LoadPngResource.
std::unique_ptr<raster::Bitmap> DecodePngResource(const void* data, size_t size, const char* fileName);
