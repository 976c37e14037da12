// Hosts switch the process locale; a comma decimal point must not leak into
// texts shown to the host or into the preset dump. The CTest entry
// framework_tests_comma_locale provides a German locale through LOCPATH and
// sets KESTREL_REQUIRE_COMMA_LOCALE, so there the test cannot skip.
#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "tests/framework/TestEffect.h"

namespace {

class CommaLocale : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "de_DE", "German_Germany.1252"}) {
      if (std::setlocale(LC_NUMERIC, name)) {
        char probe[16];
        std::snprintf(probe, sizeof probe, "%.1f", 1.5);
        if (std::string(probe) == "1,5") return;
      }
    }
    std::setlocale(LC_NUMERIC, "C");
    if (std::getenv("KESTREL_REQUIRE_COMMA_LOCALE")) FAIL() << "comma locale was expected";
    GTEST_SKIP() << "no locale with a comma decimal point installed";
  }
  void TearDown() override { std::setlocale(LC_NUMERIC, "C"); }
};

TEST_F(CommaLocale, DisplayTextKeepsThePoint) {
  IParameter p;
  p.DefineDouble("x", 0.0, -10.0, 10.0, 0.01, "");
  char out[IParameter::kTextSize];
  p.DisplayText(-1.25, false, out, true);
  EXPECT_STREQ(out, "-1.25");
}

TEST_F(CommaLocale, DumpKeepsThePoint) {
  TestEffect fx(1, 1);
  fx.Parameter(0)->DefineDouble("Gain", -12.25, -80.0, 10.0, 0.1, "dB");
  const std::string path = ::testing::TempDir() + "kestrel_locale_dump.txt";
  const char* names[] = {"kGain"};
  fx.DumpPresetSource(path.c_str(), names);
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  std::remove(path.c_str());
  EXPECT_EQ(text.str(), "  MakePresetFromNamedParams(\"name\", 1,\n    kGain, -12.250000);\n");
}

}  // namespace
