#pragma once
#include <memory>
#include <string>

#include "gui/IEditorView.h"
#include "gui/win32/Win32Api.h"

// The Windows editor: one child window inside the host's window that shows
// the view's backing store, turns window messages into the view's mouse and
// key calls and redraws the dirty controls from a timer. It also supplies
// the native services controls may ask for (menus, a value text field, the
// colour chooser, file dialogs, links, folders).
//
// Threads: everything runs on the thread that owns the window, the host's
// UI thread; the class registration count is changed only there.
class IEditorWindow : public IEditorView {
 public:
  static constexpr const char* kClassName = "KestrelWndClass";
  static constexpr UINT_PTR kTimerId = 2;
  static constexpr int kTextFieldId = 99;
  enum TextFieldState { kFieldIdle = 0, kFieldFocused = 1, kFieldSkipped = 2, kFieldCancel = 3, kFieldCommit = 4 };

  IEditorWindow(IEditorDelegate* plugin, int width, int height, int frameRate);
  ~IEditorWindow() override;

  // The library the window class and the images belong to; given right
  // after construction.
  void SetModuleHandle(HMODULE module) { module_ = module; }
  HMODULE ModuleHandle() const { return module_; }

  // ---- View hooks -----------------------------------------------------------------
  bool PresentToScreen(const IBounds& bounds) override;
  void CancelTextEntry() override { textState_ = kFieldCancel; }
  void ResizeEditor(int width, int height) override;
  IMenu* ShowPopupMenu(IMenu* menu, const IBounds& bounds) override;
  void ShowTextEntry(IControl* control, const ITextStyle& style, const IBounds& bounds, const char* initialText,
                     const IParameter* parameter) override;
  void GetHostPath(std::string& out) override;
  void GetPluginPath(std::string& out) override;
  void ChooseFile(std::string& inOutFileName, int action, std::string& inOutDirectory,
                  const char* extensions) override;
  bool PickColor(IRgba& inOutColour, const char* title) override;
  bool OpenLink(const char* url, const char* windowTitle, const char* confirmText,
                const char* errorText) override;
  void* OpenWindow(void* parentHandle) override;
  void CloseNativeWindow() override;
  void* GetWindow() override { return window_; }
  // The open window takes the new size.
  void ScaleChanged() override;
  // GetDpiForSystem, for the size asked before opening.
  void QuerySystemScale() override;
  std::unique_ptr<raster::Bitmap> LoadPngResource(int resourceId, const char* fileName) override;

  // ---- Inspection ------------------------------------------------------------------
  HWND TextField() const { return textField_; }
  int TextFieldState() const { return textState_; }
  // Editor windows open in this process (all instances).
  static int OpenWindowCount();

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK TextFieldProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT HandleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT HandleTextFieldMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  // The scale Windows draws this window's menus at (its DPI), in percent.
  int NativeScale() const;
  // WM_MEASUREITEM / WM_DRAWITEM of a popup menu drawn at the editor's own
  // scale; false for anything else.
  bool MeasureMenuItem(MEASUREITEMSTRUCT* item);
  bool DrawMenuItem(const DRAWITEMSTRUCT* item);
  void OnTimer();
  // The text field's part of a timer tick; true when the tick ends there.
  bool TextFieldStep();
  void CommitTextField();
  void RemoveTextField();
  // The window went away without CloseWindow (with its parent).
  void ForgetDestroyedWindow();

  HMODULE module_ = nullptr;
  HWND window_ = nullptr;
  HWND textField_ = nullptr;
  IMenu* ownDrawnMenu_ = nullptr;  // while a menu drawn at the editor's scale is open
  IControl* textControl_ = nullptr;
  const IParameter* textParameter_ = nullptr;
  WNDPROC previousTextProc_ = nullptr;
  int textState_ = kFieldIdle;
  HFONT textFont_ = nullptr;
  std::unique_ptr<COLORREF[]> customColours_;
  HWND parent_ = nullptr;
};
