#include <gtest/gtest.h>

#include <cstring>

#include "raster/TextEncoding.h"

namespace {

using raster::text::DecodeDisplayText;
using raster::text::IsMultiByteUtf8;

std::u32string Decode(const char* s) { return DecodeDisplayText(s, std::strlen(s)); }

TEST(TextEncoding, OnlyValidMultiByteUtf8IsReadAsUtf8) {
  EXPECT_FALSE(IsMultiByteUtf8("plain", 5));
  EXPECT_TRUE(IsMultiByteUtf8("caf\xC3\xA9", 5));
  EXPECT_FALSE(IsMultiByteUtf8("caf\xE9", 4));            // Windows-1252 e-acute
  EXPECT_FALSE(IsMultiByteUtf8("\xC0\xAF", 2));           // overlong '/'
  EXPECT_FALSE(IsMultiByteUtf8("\xED\xA0\x80", 3));       // encoded surrogate
  EXPECT_FALSE(IsMultiByteUtf8("\xF4\x90\x80\x80", 4));   // past U+10FFFF
  EXPECT_FALSE(IsMultiByteUtf8("ok \xE2\x82", 5));        // cut short
  EXPECT_FALSE(IsMultiByteUtf8("\xC3\xA9\xFF", 3));       // one bad byte spoils it
}

TEST(TextEncoding, DecodesUtf8AndWindows1252) {
  EXPECT_EQ(Decode("caf\xC3\xA9"), U"caf\u00E9");
  EXPECT_EQ(Decode("caf\xE9"), U"caf\u00E9");
  EXPECT_EQ(Decode("\x80 \x85 \x9F"), U"\u20AC \u2026 \u0178");
  EXPECT_EQ(Decode("\x81\x8D"), U"\u0081\u008D");  // undefined bytes pass through
  EXPECT_EQ(Decode("\xF0\x9F\x8E\xB5!"), U"\U0001F3B5!");
}

TEST(TextEncoding, Utf16UsesSurrogatePairsAboveTheBasicPlane) {
  const std::u32string cps = U"a\u00E9\U0001F3B5";
  ASSERT_EQ(raster::text::Utf16Length(cps), 4u);
  char16_t out[4] = {};
  raster::text::ToUtf16(cps, out);
  EXPECT_EQ(out[0], u'a');
  EXPECT_EQ(out[1], 0x00E9);
  EXPECT_EQ(out[2], 0xD83C);
  EXPECT_EQ(out[3], 0xDFB5);
}

}  // namespace
