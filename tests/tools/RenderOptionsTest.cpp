// Command-line parsing of brume-render and the preset lookup.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tools/brume-render/BrumeRender.h"
#include "tools/brume-render/RenderOptions.h"

namespace {

bool Parse(std::vector<const char*> args, RenderOptions& options, std::string& error) {
  args.insert(args.begin(), "brume-render");
  return ParseRenderOptions(static_cast<int>(args.size()), args.data(), options, error);
}

std::string ErrorOf(std::vector<const char*> args) {
  RenderOptions options;
  std::string error;
  EXPECT_FALSE(Parse(args, options, error));
  return error;
}

}  // namespace

TEST(RenderOptions, DefaultsWithoutArguments) {
  RenderOptions options;
  std::string error;
  ASSERT_TRUE(Parse({}, options, error));
  EXPECT_EQ(options.tempo, 120.0);
  EXPECT_EQ(options.block, 512);
  EXPECT_EQ(options.rate, 44100);
  EXPECT_FALSE(options.rateGiven);
  EXPECT_FALSE(options.listPresets);
  EXPECT_TRUE(options.inPath.empty());
  EXPECT_EQ(DefaultOutputPath(options), "brume-demo.wav");
}

TEST(RenderOptions, EveryOptionIsRead) {
  RenderOptions options;
  std::string error;
  ASSERT_TRUE(Parse({"--plugin", "p.so", "--preset", "sliced", "--in", "dir.v2/take.flac", "--out", "o.flac",
                     "--tempo", "97.5", "--block", "64", "--rate", "48000", "--list-presets"},
                    options, error))
      << error;
  EXPECT_EQ(options.plugin, "p.so");
  EXPECT_EQ(options.preset, "sliced");
  EXPECT_EQ(options.inPath, "dir.v2/take.flac");
  EXPECT_EQ(options.outPath, "o.flac");
  EXPECT_EQ(options.tempo, 97.5);
  EXPECT_EQ(options.block, 64);
  EXPECT_EQ(options.rate, 48000);
  EXPECT_TRUE(options.rateGiven);
  EXPECT_TRUE(options.listPresets);
}

TEST(RenderOptions, OutputNameFollowsTheInput) {
  RenderOptions options;
  options.inPath = "dir.v2/take.flac";
  EXPECT_EQ(DefaultOutputPath(options), "dir.v2/take-brume.wav");
  options.inPath = "dir.v2/take";
  EXPECT_EQ(DefaultOutputPath(options), "dir.v2/take-brume.wav");
}

TEST(RenderOptions, MalformedCommandLinesAreRefusedWithAReason) {
  EXPECT_EQ(ErrorOf({"--loud"}), "unknown option '--loud' (see --help)");
  EXPECT_EQ(ErrorOf({"in.wav"}), "unknown option 'in.wav' (see --help)");
  EXPECT_EQ(ErrorOf({"--in"}), "option --in needs a value");
  EXPECT_EQ(ErrorOf({"--preset", ""}), "option --preset needs a non-empty value");
  EXPECT_NE(ErrorOf({"--tempo", "fast"}).find("--tempo wants beats per minute"), std::string::npos);
  EXPECT_NE(ErrorOf({"--tempo", "120,5"}).find("'120,5'"), std::string::npos);
  EXPECT_NE(ErrorOf({"--tempo", "0"}).find("--tempo"), std::string::npos);
  EXPECT_NE(ErrorOf({"--tempo", "1000"}).find("--tempo"), std::string::npos);
  EXPECT_NE(ErrorOf({"--block", "0"}).find("--block"), std::string::npos);
  EXPECT_NE(ErrorOf({"--block", "65537"}).find("--block"), std::string::npos);
  EXPECT_NE(ErrorOf({"--block", "12x"}).find("--block"), std::string::npos);
  EXPECT_NE(ErrorOf({"--rate", "7999"}).find("--rate"), std::string::npos);
  EXPECT_NE(ErrorOf({"--rate", "44.1k"}).find("--rate"), std::string::npos);
}

TEST(RenderOptions, HelpIsAnOption) {
  RenderOptions options;
  std::string error;
  ASSERT_TRUE(Parse({"--help"}, options, error));
  EXPECT_TRUE(options.help);
  EXPECT_NE(std::string(RenderUsage()).find("--list-presets"), std::string::npos);
}

TEST(FindPreset, ByNumberExactNameOrLooseName) {
  const std::vector<std::string> names = {"Init", "sliced ", "HP Sweep", "-", "-"};
  EXPECT_EQ(FindPreset(names, "0"), 0);
  EXPECT_EQ(FindPreset(names, "4"), 4);
  EXPECT_EQ(FindPreset(names, "5"), -1);
  EXPECT_EQ(FindPreset(names, "-1"), -1);
  EXPECT_EQ(FindPreset(names, "sliced "), 1);
  EXPECT_EQ(FindPreset(names, "sliced"), 1) << "trailing blank in the stored name";
  EXPECT_EQ(FindPreset(names, "hp sweep"), 2);
  EXPECT_EQ(FindPreset(names, "-"), 3) << "first of equal names";
  EXPECT_EQ(FindPreset(names, "Sweep"), -1);
  EXPECT_EQ(FindPreset(names, " "), -1);
}
