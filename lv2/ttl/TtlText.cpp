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
