#include "vst3/Vst3Text.h"

#include <cstring>

#include "framework/TextCodePage.h"

namespace brume_vst3 {

void ToUtf16(const char* text, vst3::char16* out, int capacity) {
  if (!out || capacity <= 0) return;
  const size_t length = text ? std::strlen(text) : 0;
  const bool utf8 = codepage::IsMultiByteUtf8(text, length);
  const auto* s = reinterpret_cast<const unsigned char*>(text);
  int n = 0;
  for (size_t i = 0; i < length;) {
    char32_t cp = 0;
    if (utf8) {
      i += codepage::DecodeUtf8(s + i, length - i, cp);
    } else {
      cp = codepage::Windows1252ToUnicode(s[i++]);
    }
    const int units = cp > 0xFFFF ? 2 : 1;
    if (n + units > capacity - 1) break;
    if (units == 2) {
      cp -= 0x10000;
      out[n++] = static_cast<vst3::char16>(0xD800 + (cp >> 10));
      out[n++] = static_cast<vst3::char16>(0xDC00 + (cp & 0x3FF));
    } else {
      out[n++] = static_cast<vst3::char16>(cp);
    }
  }
  out[n] = 0;
}

namespace {
char Windows1252Of(vst3::char16 unit) {
  if (unit < 0x80 || (unit >= 0xA0 && unit <= 0xFF)) return static_cast<char>(unit);
  for (int byte = 0x80; byte < 0xA0; ++byte)
    if (codepage::Windows1252ToUnicode(static_cast<unsigned char>(byte)) == unit) return static_cast<char>(byte);
  return '?';
}
}  // namespace

void FromUtf16(const vst3::char16* text, int capacity, char* out, int outCapacity) {
  if (!out || outCapacity <= 0) return;
  int n = 0;
  for (; text && n < capacity && n < outCapacity - 1 && text[n] != 0; ++n) out[n] = Windows1252Of(text[n]);
  out[n] = '\0';
}

}  // namespace brume_vst3
