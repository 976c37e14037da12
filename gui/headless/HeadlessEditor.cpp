#include "gui/headless/HeadlessEditor.h"

#include "gui/TypedValue.h"
#include "raster/Bitmap.h"

HeadlessEditor::HeadlessEditor(IEditorDelegate* plugin, int width, int height, int frameRate)
    : IEditorView(plugin, width, height, frameRate) {}

HeadlessEditor::~HeadlessEditor() = default;

IEditorView* HeadlessEditor::Create(IEditorDelegate* plugin, int width, int height, int frameRate) {
  return new HeadlessEditor(plugin, width, height, frameRate);
}

bool HeadlessEditor::Tick() {
  SyncWithPlugin();
  IBounds dirty;
  if (!CollectDirtyBounds(&dirty)) return false;
  Draw(dirty);
  return true;
}

void HeadlessEditor::RedrawAll() {
  SyncWithPlugin();
  MarkAllControlsDirty();
  Draw(IBounds{0, 0, Width(), Height()});
}

bool HeadlessEditor::PresentToScreen(const IBounds& bounds) {
  presents_.push_back(bounds);
  return true;
}

IMenu* HeadlessEditor::ShowPopupMenu(IMenu* menu, const IBounds&) {
  std::vector<std::string> labels;
  for (int i = 0; i < static_cast<int>(menu->items.size()); ++i) labels.push_back(menu->ItemLabel(i));
  menusShown_.push_back(std::move(labels));
  // Like a native menu, this one takes the release of the click that opened it.
  ReleaseMouseCapture();
  const int chosen = menuChoices_.empty() ? -1 : menuChoices_.front();
  if (!menuChoices_.empty()) menuChoices_.pop_front();
  if (chosen < 0 || chosen >= static_cast<int>(menu->items.size())) return nullptr;
  menu->chosen = chosen;
  return menu;
}

void HeadlessEditor::ShowTextEntry(IControl* control, const ITextStyle&, const IBounds&, const char*,
                                   const IParameter* parameter) {
  ++textEntriesShown_;
  if (!control || textEntries_.empty()) return;
  const std::string text = textEntries_.front();
  textEntries_.pop_front();
  ApplyEnteredText(*control, parameter, text.c_str());
}
