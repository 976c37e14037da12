#include "lv2/ttl/TtlText.h"

#include <charconv>

#include "framework/HostText.h"

std::string TtlDecimal(double v) {
  char text[64];
  const auto result = std::to_chars(text, text + sizeof text, v, std::chars_format::fixed);
  std::string out(text, result.ptr);
  if (out.find('.') == std::string::npos) out += ".0";
  return out;
}

namespace {
// Hosts parse a literal as a double (lilv through serd) and narrow it.
bool ReadsBackAs(const char* first, const char* last, float f) {
  double read = 0.0;
  const auto result = std::from_chars(first, last, read, std::chars_format::fixed);
  return result.ec == std::errc() && result.ptr == last && static_cast<float>(read) == f;
}
}  // namespace

std::string TtlFloatDecimal(double v) {
  const float f = static_cast<float>(v);
  char text[128];
  // Shortest first; more digits only where rounding through the double
  // would land on a neighbouring float.
  auto result = std::to_chars(text, text + sizeof text, f, std::chars_format::fixed);
  for (int digits = 1; !ReadsBackAs(text, result.ptr, f) && digits < 60; ++digits)
    result = std::to_chars(text, text + sizeof text, f, std::chars_format::fixed, digits);
  std::string out(text, result.ptr);
  if (out.find('.') == std::string::npos) out += ".0";
  return out;
}

std::string TtlInteger(long long v) {
  char text[32];
  const auto result = std::to_chars(text, text + sizeof text, v);
  return std::string(text, result.ptr);
}

std::string TtlString(const char* windows1252) {
  char utf8[256];
  CopyTextAsUtf8(utf8, windows1252, sizeof utf8);
  std::string out = "\"";
  for (const char* p = utf8; *p; ++p) {
    if (*p == '"' || *p == '\\') out += '\\';
    out += *p;
  }
  return out + "\"";
}
