#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include "framework/IStateChunk.h"

namespace {

std::vector<uint8_t> Bytes(const IStateChunk& c) { return {c.Data(), c.Data() + c.Size()}; }

IStateChunk FromBytes(const std::vector<uint8_t>& bytes) {
  IStateChunk c;
  c.AppendBytes(bytes.data(), static_cast<int>(bytes.size()));
  return c;
}

TEST(StateChunkEncoding, LittleEndianItems) {
  IStateChunk c;
  ASSERT_TRUE(c.AppendInt32(0x01020304));
  ASSERT_TRUE(c.AppendInt32(-2));
  ASSERT_TRUE(c.AppendDouble(1.0));
  ASSERT_TRUE(c.AppendBool(true));
  ASSERT_TRUE(c.AppendBool(false));
  ASSERT_TRUE(c.AppendText("-"));
  const std::vector<uint8_t> want{4, 3, 2, 1, 0xFE, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0, 0, 0, 0xF0, 0x3F,
                                  1, 0, 1, 0, 0, 0, '-'};
  EXPECT_EQ(Bytes(c), want);
}

TEST(StateChunkEncoding, HeaderReplacesContent) {
  IStateChunk c;
  c.AppendText("old content");
  ASSERT_TRUE(WriteChunkHeader(c));
  const std::vector<uint8_t> want{0x74, 0x66, 0x66, 0x70, 0x00, 0x00, 0x01, 0x00};
  EXPECT_EQ(Bytes(c), want);
}

TEST(StateChunkEncoding, ReadsRoundTrip) {
  IStateChunk c;
  c.AppendInt32(INT_MIN);
  c.AppendDouble(-12.25);
  c.AppendBool(true);
  c.AppendText("Warm pad");
  int32_t i = 0;
  double d = 0;
  bool b = false;
  char text[32];
  int p = c.ReadInt32(0, &i);
  p = c.ReadDouble(p, &d);
  p = c.ReadBool(p, &b);
  p = c.ReadText(p, text, sizeof text);
  EXPECT_EQ(i, INT_MIN);
  EXPECT_EQ(d, -12.25);
  EXPECT_TRUE(b);
  EXPECT_STREQ(text, "Warm pad");
  EXPECT_EQ(p, c.Size());
}

TEST(StateChunkResize, GrowsWithZerosAndEmpties) {
  IStateChunk c = FromBytes({9, 9});
  ASSERT_TRUE(c.Resize(5));
  EXPECT_EQ(Bytes(c), (std::vector<uint8_t>{9, 9, 0, 0, 0}));
  ASSERT_TRUE(c.Resize(0));
  EXPECT_EQ(c.Size(), 0);
  EXPECT_FALSE(c.Resize(-1));
}

TEST(StateChunkBounds, ItemsThatDoNotFitGiveMinusOne) {
  IStateChunk c = FromBytes({1, 2, 3, 4, 5, 6, 7});
  bool nonZero = false;
  EXPECT_EQ(c.ReadBool(6, &nonZero), 7);
  EXPECT_TRUE(nonZero);  // any non-zero byte reads as true
  int32_t i = 42;
  double d = 42;
  bool b = false;
  EXPECT_EQ(c.ReadInt32(4, &i), -1);
  EXPECT_EQ(i, 42);
  EXPECT_EQ(c.ReadDouble(0, &d), -1);
  EXPECT_EQ(d, 42);
  EXPECT_EQ(c.ReadBool(7, &b), -1);
  EXPECT_EQ(c.ReadInt32(-1, &i), -1);
  EXPECT_EQ(c.ReadInt32(INT_MAX, &i), -1);  // pos + 4 must not wrap
  EXPECT_EQ(c.ReadDouble(INT_MAX - 3, &d), -1);
  EXPECT_EQ(c.ReadInt32(3, &i), 7);
}

TEST(StateChunkBounds, UntrustedTextLengths) {
  char out[8];
  auto chunkWithLength = [](int32_t length, int payload) {
    IStateChunk c;
    c.AppendInt32(length);
    c.AppendBytes(std::string(static_cast<size_t>(payload), 'a').data(), payload);
    return c;
  };
  std::strcpy(out, "keep");
  EXPECT_EQ(chunkWithLength(-5, 10).ReadText(0, out, sizeof out), -1);
  EXPECT_STREQ(out, "keep");
  EXPECT_EQ(chunkWithLength(11, 10).ReadText(0, out, sizeof out), -1);
  EXPECT_STREQ(out, "keep");
  EXPECT_EQ(chunkWithLength(INT_MAX, 10).ReadText(0, out, sizeof out), -1);  // 4 + L overflows int
  EXPECT_EQ(chunkWithLength(0, 0).ReadText(0, out, sizeof out), 4);
  EXPECT_STREQ(out, "");
  // Longer than the destination: truncated, terminated, position past the item.
  EXPECT_EQ(chunkWithLength(10, 10).ReadText(0, out, sizeof out), 14);
  EXPECT_STREQ(out, "aaaaaaa");
  EXPECT_EQ(chunkWithLength(3, 0).ReadText(2, out, sizeof out), -1);  // length itself cut off
}

}  // namespace
