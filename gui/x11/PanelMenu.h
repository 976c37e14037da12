#pragma once
#include <string>
#include <vector>

#include "gui/IGraphicsTypes.h"
#include "raster/MemoryBitmap.h"

// A popup menu drawn inside the editor panel: the window layer shows its
// picture over the backing store, so closing it only re-shows the panel.
// White text on dark grey, the current item marked, the item under the
// pointer highlighted; a menu taller than the panel shows a window of its
// items and scrolls. Window thread only.
class PanelMenu {
 public:
  // Sizes at 100 %; a menu opened at another scale multiplies them.
  static constexpr int kItemHeight = 20;
  static constexpr int kBorder = 1;
  static constexpr int kTextInset = 18;  // room for the current-item mark
  static constexpr int kMinWidth = 80;

  // Lays the items out at the anchor's top-left (menus at the cursor) or
  // below it, moved inside the panel; sizes (and text) at the scale in percent.
  void Open(const IMenu& menu, const IBounds& anchor, int panelWidth, int panelHeight, int scale = 100);
  void Close();
  bool IsOpen() const { return open_; }
  // Where the menu lies in the panel (empty when closed).
  const IBounds& Bounds() const { return bounds_; }
  bool Contains(int x, int y) const { return open_ && bounds_.Contains(x, y); }
  // The choosable item at the panel point, or -1.
  int ItemAt(int x, int y) const;

  int Hover() const { return hover_; }
  int FirstVisible() const { return first_; }
  int VisibleCount() const { return visible_; }
  // Each returns true when the picture changed.
  bool SetHover(int item);
  bool MoveHover(int step);  // keyboard: next choosable item, scrolled into view
  bool Scroll(int notches);  // wheel: positive notches scroll up

  // The menu's picture, redrawn when something changed; null when closed.
  raster::Bitmap* Picture();

 private:
  bool Choosable(int item) const;
  int S(int length) const;  // a 100 % length at the scale, at least 1
  void ScrollTo(int first);
  void Render();

  bool open_ = false;
  int scale_ = 100;
  int itemHeight_ = kItemHeight;
  int border_ = kBorder;
  std::vector<std::string> labels_;
  std::vector<int> flags_;
  int current_ = -1;
  int hover_ = -1;
  int first_ = 0;
  int visible_ = 0;
  IBounds bounds_;
  raster::MemoryBitmap picture_;
  bool stale_ = false;
};
