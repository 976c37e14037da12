#include "framework/ParseDecimal.h"

#include <charconv>
#include <cstring>
#include <limits>

double ParseDecimal(const char* text, int capacity) {
  if (!text || capacity <= 0) return 0.0;
  const char* end = static_cast<const char*>(std::memchr(text, '\0', static_cast<size_t>(capacity)));
  if (!end) end = text + capacity;
  const char* p = text;
  while (p < end && (*p == ' ' || (*p >= '\t' && *p <= '\r'))) ++p;
  bool negative = false;
  if (p < end && (*p == '+' || *p == '-')) {
    negative = *p == '-';
    ++p;
  }
  // from_chars takes no '+' and no second sign.
  if (p < end && (*p == '+' || *p == '-')) return 0.0;
  double value = 0.0;
  const auto result = std::from_chars(p, end, value, std::chars_format::general);
  if (result.ec == std::errc::invalid_argument) return 0.0;
  // Out of range: from_chars leaves value unset; strtod gives +-HUGE_VAL or 0.
  if (result.ec == std::errc::result_out_of_range) {
    const char* e = p;
    while (e < result.ptr && *e != 'e' && *e != 'E') ++e;
    const bool tiny = e < result.ptr && e + 1 < result.ptr && e[1] == '-';
    value = tiny ? 0.0 : std::numeric_limits<double>::infinity();
  }
  return negative ? -value : value;
}
