#include "framework/HostText.h"

#include <cstring>

#include "framework/NumberFormat.h"
#include "framework/TextCodePage.h"

namespace {

// UTF-8 bytes of one code point into `bytes`; returns how many.
int EncodeUtf8(char32_t cp, char* bytes) {
  if (cp < 0x80) {
    bytes[0] = static_cast<char>(cp);
    return 1;
  }
  if (cp < 0x800) {
    bytes[0] = static_cast<char>(0xC0 | (cp >> 6));
    bytes[1] = static_cast<char>(0x80 | (cp & 0x3F));
    return 2;
  }
  if (cp < 0x10000) {
    bytes[0] = static_cast<char>(0xE0 | (cp >> 12));
    bytes[1] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    bytes[2] = static_cast<char>(0x80 | (cp & 0x3F));
    return 3;
  }
  bytes[0] = static_cast<char>(0xF0 | (cp >> 18));
  bytes[1] = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
  bytes[2] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
  bytes[3] = static_cast<char>(0x80 | (cp & 0x3F));
  return 4;
}

}  // namespace

void CopyTextAsUtf8(char* out, const char* text, int capacity) {
  if (!out || capacity <= 0) return;
  if (!text) text = "";
  const size_t length = std::strlen(text);
  const auto* s = reinterpret_cast<const unsigned char*>(text);
  const bool utf8 = codepage::IsMultiByteUtf8(text, length);
  int used = 0;
  for (size_t i = 0; i < length;) {
    char32_t cp = 0;
    if (utf8) {
      i += codepage::DecodeUtf8(s + i, length - i, cp);
    } else {
      cp = codepage::Windows1252ToUnicode(s[i]);
      ++i;
    }
    char bytes[4];
    const int n = EncodeUtf8(cp, bytes);
    if (used + n > capacity - 1) break;  // never half a character
    std::memcpy(out + used, bytes, static_cast<size_t>(n));
    used += n;
  }
  out[used] = '\0';
}

void CopyTextForHost(char* out, const char* text, int capacity) {
#ifdef _WIN32
  CopyText(out, text, capacity);
#else
  CopyTextAsUtf8(out, text, capacity);
#endif
}
