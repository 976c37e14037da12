#pragma once
#include <cstddef>
#include <string>

// How display texts are read: the rule of framework/TextCodePage.h, which
// the texts handed to hosts follow too. Parameter strings are held in
// Windows-1252, but a text may also arrive as UTF-8 (file names, host
// strings). A text is taken as UTF-8 only when it is valid UTF-8 and
// contains at least one multi-byte sequence; anything else is Windows-1252
// bytes.
namespace raster::text {

// True when the bytes are valid UTF-8 (no overlong forms, surrogates or code
// points past U+10FFFF) and at least one character takes several bytes.
bool IsMultiByteUtf8(const char* text, size_t length);

char32_t Windows1252ToUnicode(unsigned char byte);

// Code points of a display text by the rule above.
std::u32string DecodeDisplayText(const char* text, size_t length);

// Number of UTF-16 units the code points need.
size_t Utf16Length(const std::u32string& codePoints);
// Writes the code points as UTF-16 into out, which holds Utf16Length units.
void ToUtf16(const std::u32string& codePoints, char16_t* out);

}  // namespace raster::text
