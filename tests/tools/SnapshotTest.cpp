// brume-snapshot writes the editor of a chosen program and page.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <vector>

#include "raster/PngReader.h"
#include "tools/brume-snapshot/Snapshot.h"

namespace {

std::unique_ptr<raster::MemoryBitmap> ReadPng(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::vector<char> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  return raster::ReadPngFromMemory(bytes.data(), bytes.size());
}

// Near-white pixels: the read-outs' text ink.
int WhitePixels(raster::Bitmap& image, int left, int top, int right, int bottom) {
  int count = 0;
  for (int y = top; y < bottom; ++y)
    for (int x = left; x < right; ++x) {
      const raster::Pixel p = image.Row(y)[x];
      count += ((p >> 16) & 0xFF) > 0xB0 && ((p >> 8) & 0xFF) > 0xB0 && (p & 0xFF) > 0xB0;
    }
  return count;
}

TEST(BrumeSnapshot, WritesTheChosenProgramOnTheChosenPage) {
  SnapshotOptions options;
  options.program = " init ";  // matched as brume-render matches names
  options.out = ::testing::TempDir() + "snapshot-init.png";
  std::string error;
  options.page = "audio";
  ASSERT_TRUE(WriteEditorSnapshot(options, &error)) << error;
  auto audio = ReadPng(options.out);
  ASSERT_TRUE(audio);
  EXPECT_EQ(audio->Width(), 815);
  EXPECT_EQ(audio->Height(), 500);
  // "Init" routes the filters to the outputs in audio row 3 ("Out 1"); its
  // third modulation row is empty ("...").
  const int audioInk = WhitePixels(*audio, 375, 135, 475, 155);
  EXPECT_GT(audioInk, 20);

  options.page = "mod";
  ASSERT_TRUE(WriteEditorSnapshot(options, &error)) << error;
  auto mod = ReadPng(options.out);
  ASSERT_TRUE(mod);
  EXPECT_LT(WhitePixels(*mod, 375, 135, 475, 155), audioInk / 2);
  std::remove(options.out.c_str());
}

TEST(BrumeSnapshot, DrawsAtTheAskedScale) {
  const char* argv[] = {"brume-snapshot", "--scale", "150", "--out", "x.png"};
  SnapshotOptions options;
  std::string error;
  bool helpOnly = false;
  ASSERT_TRUE(ParseSnapshotOptions(5, argv, &options, &error, &helpOnly)) << error;
  EXPECT_EQ(options.scale, 150);
  options.out = ::testing::TempDir() + "snapshot-150.png";
  ASSERT_TRUE(WriteEditorSnapshot(options, &error)) << error;
  auto image = ReadPng(options.out);
  ASSERT_TRUE(image);
  EXPECT_EQ(image->Width(), 1223);
  EXPECT_EQ(image->Height(), 750);
  std::remove(options.out.c_str());
  for (const char* bad : {"140", "4", "1,5"}) {
    const char* badArgv[] = {"brume-snapshot", "--scale", bad};
    EXPECT_FALSE(ParseSnapshotOptions(3, badArgv, &options, &error, &helpOnly)) << bad;
  }
}

TEST(BrumeSnapshot, RefusesUnknownProgramsAndOptions) {
  SnapshotOptions options;
  options.program = "no such program";
  std::string error;
  EXPECT_FALSE(WriteEditorSnapshot(options, &error));
  EXPECT_NE(error.find("no program 'no such program'"), std::string::npos);

  const char* argv[] = {"brume-snapshot", "--page", "sideways"};
  bool helpOnly = true;
  EXPECT_FALSE(ParseSnapshotOptions(3, argv, &options, &error, &helpOnly));
  EXPECT_FALSE(helpOnly);
  EXPECT_NE(error.find("--page takes audio or mod"), std::string::npos);
}

}  // namespace
