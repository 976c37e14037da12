#include "gui/EditorFactory.h"
#include "gui/headless/HeadlessEditor.h"

// A build without a native window layer: the editor exists (hosts see its
// size and every control works) but opening reports that no window can be
// opened.
IEditorView* CreatePlatformEditor(IEditorDelegate* plugin, int width, int height, int frameRate) {
  return HeadlessEditor::Create(plugin, width, height, frameRate);
}
