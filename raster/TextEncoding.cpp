#include "raster/TextEncoding.h"

#include "framework/TextCodePage.h"

namespace raster::text {

bool IsMultiByteUtf8(const char* text, size_t length) { return codepage::IsMultiByteUtf8(text, length); }

char32_t Windows1252ToUnicode(unsigned char byte) { return codepage::Windows1252ToUnicode(byte); }

std::u32string DecodeDisplayText(const char* text, size_t length) {
  std::u32string out;
  out.reserve(length);
  const auto* s = reinterpret_cast<const unsigned char*>(text);
  if (IsMultiByteUtf8(text, length)) {
    for (size_t i = 0; i < length;) {
      char32_t cp = 0;
      i += codepage::DecodeUtf8(s + i, length - i, cp);
      out.push_back(cp);
    }
  } else {
    for (size_t i = 0; i < length; ++i) out.push_back(Windows1252ToUnicode(s[i]));
  }
  return out;
}

size_t Utf16Length(const std::u32string& codePoints) {
  size_t n = 0;
  for (char32_t cp : codePoints) n += cp >= 0x10000 ? 2 : 1;
  return n;
}

void ToUtf16(const std::u32string& codePoints, char16_t* out) {
  for (char32_t cp : codePoints) {
    if (cp >= 0x10000) {
      cp -= 0x10000;
      *out++ = static_cast<char16_t>(0xD800 + (cp >> 10));
      *out++ = static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
    } else {
      *out++ = static_cast<char16_t>(cp);
    }
  }
}

}  // namespace raster::text
