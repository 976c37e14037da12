#include "framework/NumberFormat.h"

#include <charconv>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>

void FormatFixed(double v, int decimals, char* out, int capacity) {
  if (!out || capacity <= 0) return;
  // std::to_chars is locale-independent by definition (unlike printf).
  char buffer[400];  // the longest fixed form of a double is about 330 chars
  auto result = std::to_chars(buffer, buffer + sizeof(buffer) - 1, v, std::chars_format::fixed,
                              decimals);
  if (result.ec != std::errc()) {
    CopyText(out, "", capacity);
    return;
  }
  *result.ptr = '\0';
  CopyText(out, buffer, capacity);
}

int TruncateToInt(double v) {
  if (std::isnan(v)) return 0;
  if (v >= static_cast<double>(INT_MAX)) return INT_MAX;
  if (v <= static_cast<double>(INT_MIN)) return INT_MIN;
  return static_cast<int>(v);
}

void FormatTruncated(double v, char* out, int capacity) {
  if (!out || capacity <= 0) return;
  std::snprintf(out, static_cast<size_t>(capacity), "%d", TruncateToInt(v));
}

void CopyText(char* out, const char* text, int capacity) {
  if (!out || capacity <= 0) return;
  if (!text) text = "";
  // Never reads past what fits: a text from a host need not end in time.
  const size_t limit = static_cast<size_t>(capacity - 1);
  const void* end = std::memchr(text, '\0', limit);
  const size_t n = end ? static_cast<size_t>(static_cast<const char*>(end) - text) : limit;
  std::memmove(out, text, n);
  out[n] = '\0';
}
