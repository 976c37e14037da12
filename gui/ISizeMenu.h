#pragma once
#include "gui/IControls.h"

// The size of the editor: "size auto" or "size 150%", and on a click a menu
// of Auto and every scale step. The choice applies at once and is kept in
// the user's settings, for every project and host.
class ISizeMenu : public ITextControl {
 public:
  ISizeMenu(IEditorDelegate* plugin, const IBounds& bounds, const ITextStyle& style);
  void OnMouseDown(int x, int y, const IMouseMods& mods) override;
  bool Draw(IEditorView& view) override;
};
