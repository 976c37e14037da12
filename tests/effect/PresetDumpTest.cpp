// The preset-maker dump written at destruction: where it goes on each
// platform, and that the text names every parameter by its identifier.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "effect/ParameterIds.h"
#include "effect/PresetDumpPath.h"
#include "tests/CommaLocale.h"
#include "tests/effect/KestrelTestHost.h"

namespace {

// The file's text with line ends as '\n' (the dump is written in text mode,
// so Windows gives CR LF).
std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream bytes;
  bytes << in.rdbuf();
  std::string text;
  for (char c : bytes.str()) {
    if (c != '\r') text += c;
  }
  return text;
}

TEST(PresetDumpTest, OnlyWindowsHasADumpLocation) {
#ifdef _WIN32
  EXPECT_STREQ(PresetDumpPath(), "c:\\dumpfile.txt");
#else
  EXPECT_EQ(PresetDumpPath(), nullptr);
#endif
}

// The dump of a plug-in holding "hmmg".
std::string DumpOfHmmg() {
  // One file per test: CTest runs the tests of this program side by side.
  const std::string test = ::testing::UnitTest::GetInstance()->current_test_info()->name();
  const std::filesystem::path path = std::filesystem::temp_directory_path() / ("kestrel_dump_" + test + ".txt");
  std::filesystem::remove(path);
  {
    KestrelTestHost host;
    EXPECT_TRUE(host.LoadPreset(9));
    IEffectBase::LockGuard lock(host.effect());
    host.effect().DumpPresetSource(path.string().c_str(), kParameterIdentifiers);
  }
  const std::string text = ReadFile(path);
  std::filesystem::remove(path);
  return text;
}

TEST(PresetDumpTest, DumpNamesEveryParameterWithItsCurrentValue) {
  const std::string text = DumpOfHmmg();

  const std::string head = "  MakePresetFromNamedParams(\"name\", 106";
  ASSERT_EQ(text.compare(0, head.size(), head), 0) << text.substr(0, 80);
  ASSERT_GE(text.size(), 3u);
  EXPECT_EQ(text.substr(text.size() - 3), ");\n");
  // Each entry is followed by the next one's comma or by the closing ");".
  for (const char* entry : {",\n    kGain, 0.000001,", ",\n    kAudioIn1, 1,",
                            ",\n    kAudioOut2, 7,", ",\n    kAudioAmount1, 50.000000,",
                            ",\n    kPan1, 0.500000,", ",\n    kDelayLengthQuarters2, 1,",
                            ",\n    kLfoPhase2, 180.900000,", ",\n    kModAmount3, -12.500000,",
                            ",\n    kLfoReset, true,", ",\n    kMatrixTab, false);"}) {
    EXPECT_NE(text.find(entry), std::string::npos) << entry;
  }
  size_t lines = 0;
  for (size_t pos = 0; (pos = text.find(",\n    k", pos)) != std::string::npos; ++pos) ++lines;
  EXPECT_EQ(lines, 106u);
}

TEST(PresetDumpTest, DestructionDumpsTheSettingsOfThatMoment) {
  const char* path = PresetDumpPath();
  if (!path) GTEST_SKIP() << "no dump location on this platform";
  std::filesystem::remove(path);
  {
    KestrelTestHost host;
    host.Set(kPan1, 0.25);
    host.Set(kModOut4, 13);
  }
  const std::string text = ReadFile(path);
  EXPECT_NE(text.find(",\n    kPan1, 0.250000,"), std::string::npos);
  EXPECT_NE(text.find(",\n    kModOut4, 13,"), std::string::npos);
  EXPECT_EQ(text.find("MakePresetFromNamedParams"), text.rfind("MakePresetFromNamedParams"))
      << "the file is replaced, not appended to";
}

TEST(PresetDumpTest, DumpIgnoresAHostsDecimalComma) {
  ScopedCommaLocale comma;
  ASSERT_TRUE(comma.Active()) << ScopedCommaLocale::kMissing;
  const std::string text = DumpOfHmmg();
  EXPECT_NE(text.find(",\n    kPan1, 0.500000,"), std::string::npos) << comma.Name();
}

}  // namespace
