#include "gui/EditorFactory.h"
#include "gui/win32/IEditorWindow.h"
#include "gui/win32/Win32Resources.h"

// The plug-in's editor on Windows: a child window in the host's window.
IEditorView* CreatePlatformEditor(IEditorDelegate* plugin, int width, int height, int frameRate) {
  auto* editor = new IEditorWindow(plugin, width, height, frameRate);
  editor->SetModuleHandle(ImageModule());
  return editor;
}
