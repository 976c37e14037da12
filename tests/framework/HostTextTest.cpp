#include <gtest/gtest.h>

#include <string>

#include "framework/HostText.h"

namespace {

std::string AsUtf8(const char* text, int capacity = 32) {
  char out[64];
  CopyTextAsUtf8(out, text, capacity);
  return out;
}

TEST(HostText, Windows1252BecomesUtf8CutOnlyAtWholeCharacters) {
  EXPECT_EQ(AsUtf8("90\xB0"), "90\xC2\xB0");
  EXPECT_EQ(AsUtf8("\x80 \x85"), "\xE2\x82\xAC \xE2\x80\xA6");  // euro sign, ellipsis
  EXPECT_EQ(AsUtf8("caf\xC3\xA9"), "caf\xC3\xA9");            // already UTF-8: kept
  EXPECT_EQ(AsUtf8(nullptr), "");
  // 4 bytes hold three and the NUL: the degree sign's two do not fit.
  EXPECT_EQ(AsUtf8("ab\xB0", 4), "ab");
  EXPECT_EQ(AsUtf8("abc\xB0", 6), "abc\xC2\xB0");
  EXPECT_EQ(AsUtf8("\x80", 3), "");
}

TEST(HostText, Utf8InputIsCutBeforeACharacterTheBufferWouldSplit) {
  // Two-, three- and four-byte characters, each one byte short of room.
  EXPECT_EQ(AsUtf8("caf\xC3\xA9", 5), "caf");
  EXPECT_EQ(AsUtf8("caf\xC3\xA9", 6), "caf\xC3\xA9");
  EXPECT_EQ(AsUtf8("5 \xE2\x82\xAC", 5), "5 ");
  EXPECT_EQ(AsUtf8("\xC3\xA9\xF0\x9F\x8E\xB5", 6), "\xC3\xA9");
  EXPECT_EQ(AsUtf8("\xC3\xA9\xF0\x9F\x8E\xB5", 7), "\xC3\xA9\xF0\x9F\x8E\xB5");
  // A cut never leaves a stray lead or continuation byte, at any size.
  const char* text = "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x8E\xB5z";
  const std::string whole = AsUtf8(text);
  for (int capacity = 1; capacity <= static_cast<int>(whole.size()) + 1; ++capacity) {
    const std::string cut = AsUtf8(text, capacity);
    EXPECT_LT(cut.size(), static_cast<size_t>(capacity));
    EXPECT_EQ(whole.compare(0, cut.size(), cut), 0) << capacity;
    const bool boundary = cut.size() == whole.size() || (static_cast<unsigned char>(whole[cut.size()]) & 0xC0) != 0x80;
    EXPECT_TRUE(boundary) << "cut inside a character at " << capacity;
  }
}

}  // namespace
