#pragma once
#include <deque>
#include <string>
#include <vector>

#include "gui/IEditorView.h"

// The editor without a window: presents are recorded, menus and text entry
// are answered from a script. Used by tests and by tools that render the
// editor into an image.
class HeadlessEditor : public IEditorView {
 public:
  HeadlessEditor(IEditorDelegate* plugin, int width, int height, int frameRate);
  ~HeadlessEditor() override;

  static IEditorView* Create(IEditorDelegate* plugin, int width, int height, int frameRate);

  // Scripted answers, used in order: a menu choice (-1: dismissed) and a
  // typed text.
  void ScriptMenuChoice(int chosen) { menuChoices_.push_back(chosen); }
  void ScriptTextEntry(const std::string& text) { textEntries_.push_back(text); }

  // One redraw tick: draws the dirty controls; false when nothing was dirty.
  bool Tick();
  // Draws everything now (what a window shows right after opening).
  void RedrawAll();

  const std::vector<IBounds>& Presents() const { return presents_; }
  void ClearPresents() { presents_.clear(); }
  // The menus shown, with the labels of their items as a menu shows them.
  const std::vector<std::vector<std::string>>& MenusShown() const { return menusShown_; }
  int TextEntriesShown() const { return textEntriesShown_; }

  bool PresentToScreen(const IBounds& bounds) override;
  void CancelTextEntry() override {}
  IMenu* ShowPopupMenu(IMenu* menu, const IBounds& bounds) override;
  void ShowTextEntry(IControl* control, const ITextStyle& style, const IBounds& bounds, const char* initialText,
                     const IParameter* parameter) override;
  void GetHostPath(std::string& out) override { out.clear(); }
  void GetPluginPath(std::string& out) override { out.clear(); }
  void ChooseFile(std::string& fileName, int, std::string&, const char*) override { fileName.clear(); }
  bool PickColor(IRgba&, const char*) override { return false; }
  bool OpenLink(const char*, const char*, const char*, const char*) override { return false; }
  void* OpenWindow(void*) override { return nullptr; }
  void CloseNativeWindow() override {}
  void* GetWindow() override { return nullptr; }

 private:
  std::deque<int> menuChoices_;
  std::deque<std::string> textEntries_;
  std::vector<IBounds> presents_;
  std::vector<std::vector<std::string>> menusShown_;
  int textEntriesShown_ = 0;
};
