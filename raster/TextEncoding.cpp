#include "raster/TextEncoding.h"

namespace raster::text {
namespace {

// Length of the sequence starting at text[i] and its code point, or 0 when
// the bytes there are not a valid UTF-8 character.
size_t DecodeOne(const unsigned char* s, size_t remaining, char32_t& out) {
  const unsigned char lead = s[0];
  if (lead < 0x80) { out = lead; return 1; }
  size_t n;
  char32_t cp, min;
  if ((lead & 0xE0) == 0xC0) { n = 2; cp = lead & 0x1F; min = 0x80; }
  else if ((lead & 0xF0) == 0xE0) { n = 3; cp = lead & 0x0F; min = 0x800; }
  else if ((lead & 0xF8) == 0xF0) { n = 4; cp = lead & 0x07; min = 0x10000; }
  else return 0;
  if (remaining < n) return 0;
  for (size_t k = 1; k < n; ++k) {
    if ((s[k] & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (s[k] & 0x3F);
  }
  if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
  out = cp;
  return n;
}

// 0x80..0x9F of Windows-1252; 0 marks the five undefined bytes, which map to
// the C1 control of the same value as Windows does.
constexpr char16_t kHighControls[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

}  // namespace

bool IsMultiByteUtf8(const char* text, size_t length) {
  const auto* s = reinterpret_cast<const unsigned char*>(text);
  bool multiByte = false;
  for (size_t i = 0; i < length;) {
    char32_t cp;
    const size_t n = DecodeOne(s + i, length - i, cp);
    if (!n) return false;
    multiByte |= n > 1;
    i += n;
  }
  return multiByte;
}

char32_t Windows1252ToUnicode(unsigned char byte) {
  if (byte >= 0x80 && byte < 0xA0 && kHighControls[byte - 0x80]) return kHighControls[byte - 0x80];
  return byte;
}

std::u32string DecodeDisplayText(const char* text, size_t length) {
  std::u32string out;
  out.reserve(length);
  const auto* s = reinterpret_cast<const unsigned char*>(text);
  if (IsMultiByteUtf8(text, length)) {
    for (size_t i = 0; i < length;) {
      char32_t cp = 0;
      i += DecodeOne(s + i, length - i, cp);
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
