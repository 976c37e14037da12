#include "gui/x11/PanelMenu.h"

#include <algorithm>

#include "gui/EditorScale.h"
#include "gui/IFontCache.h"
#include "raster/Font.h"

namespace {
constexpr raster::Pixel kBackground = 0xFF2E2E2Eu;
constexpr raster::Pixel kFrame = 0xFF808080u;
constexpr raster::Pixel kHighlight = 0xFF4F6283u;
constexpr raster::Pixel kText = 0xFFFFFFFFu;
constexpr raster::Pixel kGreyText = 0xFF8A8A8Au;
constexpr raster::Pixel kScrollThumb = 0xFFA0A0A0u;
constexpr int kScrollBarWidth = 4;
constexpr int kRightPadding = 10;

raster::Font* MenuFont(int scale) {
  ITextStyle style;
  style.size = EditorScale::Physical(14, scale);
  style.align = ITextStyle::kAlignLeft;
  return IFontCache::FontFor(style);
}

void Fill(raster::Bitmap& bitmap, int l, int t, int r, int b, raster::Pixel colour) {
  l = std::max(l, 0), t = std::max(t, 0);
  r = std::min(r, bitmap.Width()), b = std::min(b, bitmap.Height());
  for (int y = t; y < b; ++y) std::fill(bitmap.Row(y) + l, bitmap.Row(y) + std::max(l, r), colour);
}

// Width of the text as the font draws it: rendered once into a scratch
// bitmap, measured to its rightmost inked column.
int TextWidth(raster::Font* font, const std::string& text, int height) {
  if (!font || text.empty()) return 0;
  raster::MemoryBitmap scratch(512 * 3, height);
  Fill(scratch, 0, 0, scratch.Width(), scratch.Height(), 0xFF000000u);
  font->SetTextColour(kText);
  font->RenderText(&scratch, text.c_str(), -1, raster::TextBounds{0, 0, scratch.Width(), scratch.Height()}, 0);
  int width = 0;
  for (int y = 0; y < scratch.Height(); ++y)
    for (int x = scratch.Width() - 1; x >= width; --x)
      if ((scratch.Row(y)[x] & 0xFFFFFFu) != 0) {
        width = x + 1;
        break;
      }
  return width;
}
}  // namespace

int PanelMenu::S(int length) const { return std::max(1, EditorScale::Physical(length, scale_)); }

void PanelMenu::Open(const IMenu& menu, const IBounds& anchor, int panelWidth, int panelHeight, int scale) {
  labels_.clear();
  flags_.clear();
  scale_ = scale;
  itemHeight_ = S(kItemHeight);
  border_ = S(kBorder);
  raster::Font* font = MenuFont(scale_);
  int textWidth = 0;
  for (int i = 0; i < static_cast<int>(menu.items.size()); ++i) {
    labels_.push_back(menu.items[static_cast<size_t>(i)].flags & IMenuItem::kSeparator ? "" : menu.ItemLabel(i));
    flags_.push_back(menu.items[static_cast<size_t>(i)].flags);
    textWidth = std::max(textWidth, TextWidth(font, labels_.back(), itemHeight_));
  }
  const int count = static_cast<int>(labels_.size());
  current_ = menu.current >= 0 && menu.current < count ? menu.current : -1;
  hover_ = -1;
  visible_ = std::max(1, std::min(count, (panelHeight - 2 * border_) / itemHeight_));
  const int width =
      std::min(panelWidth, std::max(S(kMinWidth), S(kTextInset) + textWidth + S(kRightPadding) + S(kScrollBarWidth)));
  const int height = visible_ * itemHeight_ + 2 * border_;
  int x = anchor.L, y = menu.atCursor ? anchor.T : anchor.B;
  x = std::max(0, std::min(x, panelWidth - width));
  y = std::max(0, std::min(y, panelHeight - height));
  bounds_ = IBounds{x, y, x + width, y + height};
  picture_.Resize(width, height);
  first_ = 0;
  ScrollTo(current_ - visible_ / 2);
  open_ = true;
  stale_ = true;
}

void PanelMenu::Close() {
  open_ = false;
  bounds_ = IBounds{};
  labels_.clear();
  flags_.clear();
  hover_ = current_ = -1;
}

bool PanelMenu::Choosable(int item) const {
  return item >= 0 && item < static_cast<int>(flags_.size()) &&
         !(flags_[static_cast<size_t>(item)] & (IMenuItem::kGreyed | IMenuItem::kDisabled | IMenuItem::kSeparator));
}

int PanelMenu::ItemAt(int x, int y) const {
  if (!Contains(x, y)) return -1;
  const int row = (y - bounds_.T - border_) / itemHeight_;
  if (y - bounds_.T < border_ || row >= visible_) return -1;
  const int item = first_ + row;
  return Choosable(item) ? item : -1;
}

bool PanelMenu::SetHover(int item) {
  if (item == hover_) return false;
  hover_ = item;
  stale_ = true;
  return true;
}

void PanelMenu::ScrollTo(int first) {
  const int count = static_cast<int>(labels_.size());
  first = std::max(0, std::min(first, count - visible_));
  if (first != first_) stale_ = true;
  first_ = first;
}

bool PanelMenu::MoveHover(int step) {
  const int count = static_cast<int>(labels_.size());
  int item = hover_ >= 0 ? hover_ : (current_ >= 0 ? current_ : (step > 0 ? -1 : count));
  for (item += step; item >= 0 && item < count; item += step)
    if (Choosable(item)) {
      if (item < first_) ScrollTo(item);
      if (item >= first_ + visible_) ScrollTo(item - visible_ + 1);
      SetHover(item);
      return true;
    }
  return false;
}

bool PanelMenu::Scroll(int notches) {
  const int before = first_;
  ScrollTo(first_ - notches * 3);
  return first_ != before;
}

raster::Bitmap* PanelMenu::Picture() {
  if (!open_) return nullptr;
  if (stale_) Render();
  return &picture_;
}

void PanelMenu::Render() {
  stale_ = false;
  const int w = picture_.Width(), h = picture_.Height();
  Fill(picture_, 0, 0, w, h, kFrame);
  Fill(picture_, border_, border_, w - border_, h - border_, kBackground);
  raster::Font* font = MenuFont(scale_);
  const int inset = S(kTextInset), bar = S(kScrollBarWidth), mark = S(3);
  const int count = static_cast<int>(labels_.size());
  const int textTop = font ? std::max(0, (itemHeight_ - font->LineHeight()) / 2) : 0;
  for (int row = 0; row < visible_ && first_ + row < count; ++row) {
    const int item = first_ + row;
    const int top = border_ + row * itemHeight_;
    if (item == hover_) Fill(picture_, border_, top, w - border_, top + itemHeight_, kHighlight);
    if (flags_[static_cast<size_t>(item)] & IMenuItem::kSeparator) {
      Fill(picture_, border_ + S(4), top + itemHeight_ / 2, w - border_ - S(4), top + itemHeight_ / 2 + 1, kFrame);
      continue;
    }
    if (item == current_ || (flags_[static_cast<size_t>(item)] & IMenuItem::kChecked))
      Fill(picture_, S(6), top + itemHeight_ / 2 - mark, S(12), top + itemHeight_ / 2 + mark, kText);
    if (!font) continue;
    font->SetTextColour(Choosable(item) ? kText : kGreyText);
    font->RenderText(&picture_, labels_[static_cast<size_t>(item)].c_str(), -1,
                     raster::TextBounds{inset, top + textTop, w - border_ - bar, top + itemHeight_}, 0);
  }
  if (count > visible_) {
    const int track = h - 2 * border_;
    const int thumbTop = border_ + track * first_ / count;
    const int thumbBottom = border_ + track * (first_ + visible_) / count;
    Fill(picture_, w - border_ - bar, thumbTop, w - border_, thumbBottom, kScrollThumb);
  }
  // Text rendering may leave partial alpha; the menu is opaque.
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) picture_.Row(y)[x] |= 0xFF000000u;
}
