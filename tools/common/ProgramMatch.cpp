#include "tools/common/ProgramMatch.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace {
std::string Folded(const std::string& text) {
  const auto blank = [](unsigned char c) { return std::isspace(c) != 0; };
  auto first = std::find_if_not(text.begin(), text.end(), blank);
  auto last = std::find_if_not(text.rbegin(), text.rend(), blank).base();
  std::string folded(first, first < last ? last : first);
  for (char& c : folded) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return folded;
}
}  // namespace

int FindPreset(const std::vector<std::string>& names, const std::string& wanted) {
  int index = -1;
  const char* end = wanted.data() + wanted.size();
  auto parsed = std::from_chars(wanted.data(), end, index);
  if (!wanted.empty() && parsed.ec == std::errc() && parsed.ptr == end)
    return index >= 0 && index < static_cast<int>(names.size()) ? index : -1;
  for (std::size_t i = 0; i < names.size(); ++i)
    if (names[i] == wanted) return static_cast<int>(i);
  const std::string folded = Folded(wanted);
  for (std::size_t i = 0; i < names.size(); ++i)
    if (!folded.empty() && Folded(names[i]) == folded) return static_cast<int>(i);
  return -1;
}
