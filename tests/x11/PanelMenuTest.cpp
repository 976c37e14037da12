// The panel menu's layout: inside the panel wherever it is opened, a
// window of its items when taller than the panel, scrolled to the current
// item and following the keyboard.
#include <gtest/gtest.h>

#include "gui/x11/PanelMenu.h"

namespace {
IMenu MenuOf(int count, int current) {
  IMenu menu;
  menu.atCursor = true;
  menu.current = current;
  for (int i = 0; i < count; ++i) menu.items.push_back(IMenuItem{"item " + std::to_string(i), nullptr, 0});
  return menu;
}

int RowCentre(const PanelMenu& menu, int row) {
  return menu.Bounds().T + PanelMenu::kBorder + row * PanelMenu::kItemHeight + PanelMenu::kItemHeight / 2;
}

TEST(PanelMenu, StaysInsideThePanelAndMapsRowsToItems) {
  PanelMenu menu;
  IMenu items = MenuOf(5, 1);
  items.items[3].flags = IMenuItem::kDisabled;
  menu.Open(items, IBounds{800, 490, 801, 491}, 815, 500);
  const IBounds& at = menu.Bounds();
  EXPECT_TRUE(at.L >= 0 && at.R <= 815 && at.T >= 0 && at.B <= 500);
  EXPECT_EQ(at.H(), 5 * PanelMenu::kItemHeight + 2 * PanelMenu::kBorder);
  ASSERT_NE(menu.Picture(), nullptr);
  EXPECT_EQ(menu.Picture()->Width(), at.W());
  EXPECT_EQ(menu.ItemAt(at.L + 10, RowCentre(menu, 2)), 2);
  EXPECT_EQ(menu.ItemAt(at.L + 10, RowCentre(menu, 3)), -1) << "disabled";
  EXPECT_EQ(menu.ItemAt(at.L - 1, RowCentre(menu, 2)), -1);
  // A prompt's menu opens below its anchor.
  items.atCursor = false;
  menu.Open(items, IBounds{20, 40, 120, 60}, 815, 500);
  EXPECT_EQ(menu.Bounds().T, 60);
  menu.Close();
  EXPECT_EQ(menu.Picture(), nullptr);
  EXPECT_EQ(menu.ItemAt(30, 70), -1);
}

TEST(PanelMenu, TallMenusShowAScrollingWindowAroundTheCurrentItem) {
  PanelMenu menu;
  menu.Open(MenuOf(40, 30), IBounds{300, 95, 301, 96}, 815, 500);
  const int visible = menu.VisibleCount();
  EXPECT_EQ(visible, (500 - 2 * PanelMenu::kBorder) / PanelMenu::kItemHeight);
  EXPECT_LE(menu.Bounds().B, 500);
  EXPECT_TRUE(menu.FirstVisible() <= 30 && 30 < menu.FirstVisible() + visible);
  const int first = menu.FirstVisible();
  EXPECT_EQ(menu.ItemAt(310, RowCentre(menu, 0)), first);
  EXPECT_TRUE(menu.Scroll(1));
  EXPECT_EQ(menu.FirstVisible(), first - 3);
  EXPECT_TRUE(menu.Scroll(-100));
  EXPECT_EQ(menu.FirstVisible(), 40 - visible);
  EXPECT_FALSE(menu.Scroll(-1));
  // The keyboard walks up from the current item and scrolls to follow.
  for (int i = 0; i < 30; ++i) EXPECT_TRUE(menu.MoveHover(-1));
  EXPECT_EQ(menu.Hover(), 0);
  EXPECT_EQ(menu.FirstVisible(), 0);
  EXPECT_FALSE(menu.MoveHover(-1));
}
}  // namespace
