#pragma once
#include <cstddef>

// The one reading rule for the plug-in's texts, shared by the editor's text
// drawing (raster/TextEncoding.cpp) and the copies handed to hosts
// (framework/HostText.cpp). Parameter strings are held in Windows-1252, but
// a text may also have come in as UTF-8 (a program name set by a host): a
// text is taken as UTF-8 only when it is valid UTF-8 and holds at least one
// multi-byte sequence; anything else is Windows-1252 bytes. Header only, so
// that both libraries use it without depending on each other.
namespace codepage {

// Length of the UTF-8 sequence at s and its code point, or 0 when the bytes
// there are not a valid character (overlong forms, surrogates, code points
// past U+10FFFF and sequences cut short are not).
inline size_t DecodeUtf8(const unsigned char* s, size_t remaining, char32_t& out) {
  const unsigned char lead = s[0];
  if (lead < 0x80) {
    out = lead;
    return 1;
  }
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

// True when the bytes are valid UTF-8 and at least one character takes
// several bytes.
inline bool IsMultiByteUtf8(const char* text, size_t length) {
  const auto* s = reinterpret_cast<const unsigned char*>(text);
  bool multiByte = false;
  for (size_t i = 0; i < length;) {
    char32_t cp;
    const size_t n = DecodeUtf8(s + i, length - i, cp);
    if (!n) return false;
    multiByte |= n > 1;
    i += n;
  }
  return multiByte;
}

// 0x80..0x9F of Windows-1252; the five undefined bytes map to the C1
// control of the same value, as Windows does. The rest is Latin-1.
inline char32_t Windows1252ToUnicode(unsigned char byte) {
  constexpr char16_t kHighControls[32] = {
      0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
      0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
      0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};
  if (byte >= 0x80 && byte < 0xA0 && kHighControls[byte - 0x80]) return kHighControls[byte - 0x80];
  return byte;
}

}  // namespace codepage
