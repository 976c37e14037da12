#include "gui/ISizeMenu.h"

#include <memory>

#include "gui/EditorScale.h"
#include "gui/IEditorView.h"
#include "gui/UserSettings.h"

ISizeMenu::ISizeMenu(IEditorDelegate* plugin, const IBounds& bounds, const ITextStyle& style)
    : ITextControl(plugin, bounds, style, "") {}

void ISizeMenu::OnMouseDown(int x, int y, const IMouseMods& mods) {
  IEditorView* view = View();
  if (!view || !mods.left) return;
  auto menu = std::make_unique<IMenu>();
  menu->atCursor = true;
  menu->items.push_back(IMenuItem{"Auto", nullptr, 0});
  for (int step = 0; step < EditorScale::kStepCount; ++step)
    menu->items.push_back(IMenuItem{std::to_string(EditorScale::StepPercent(step)) + "%", nullptr, 0});
  const int chosen = view->ScaleSources().user;
  menu->current = chosen ? (chosen - EditorScale::kMin) / EditorScale::kStep + 1 : 0;
  menu->items[static_cast<size_t>(menu->current)].flags |= IMenuItem::kChecked;
  view->RunMenu(std::move(menu), IBounds{x, y, x + 1, y + 1}, -1, [view](int item) {
    if (item < 0) return;
    const int percent = item == 0 ? 0 : EditorScale::StepPercent(item - 1);
    UserSettings::SaveScale(percent);
    view->SetUserScale(percent);  // may resize the window: last
  });
  MarkDirty(false);
}

bool ISizeMenu::Draw(IEditorView& view) {
  const int chosen = view.ScaleSources().user;
  text_ = chosen ? "size " + std::to_string(chosen) + "%" : "size auto";
  return ITextControl::Draw(view);
}
