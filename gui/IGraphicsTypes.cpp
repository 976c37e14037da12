#include "gui/IGraphicsTypes.h"

#include <algorithm>
#include <cstdio>

IBounds IBounds::Intersect(const IBounds& b) const {
  const IBounds& a = *this;
  if (a.Empty() || b.Empty() || a.R < b.L || a.L >= b.R || a.B < b.T || a.T >= b.B) return {};
  return {std::max(a.L, b.L), std::max(a.T, b.T), std::min(a.R, b.R), std::min(a.B, b.B)};
}

IBounds IBounds::Union(const IBounds& other) const {
  if (Empty()) return other;
  if (other.Empty()) return *this;
  return {std::min(L, other.L), std::min(T, other.T), std::max(R, other.R), std::max(B, other.B)};
}

std::string IMenu::ItemLabel(int index) const {
  if (index < 0 || index >= static_cast<int>(items.size())) return {};
  static const char* const kFormats[] = {nullptr, "%1d: ", "%02d: ", "%03d: "};
  if (numbering < kOneDigit || numbering > kThreeDigits) return items[static_cast<size_t>(index)].text;
  char prefix[16];
  std::snprintf(prefix, sizeof prefix, kFormats[numbering], index + 1);
  return prefix + items[static_cast<size_t>(index)].text;
}
