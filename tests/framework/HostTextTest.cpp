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

}  // namespace
