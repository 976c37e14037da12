// Hosts switch the process locale; a comma decimal point must not leak into
// texts shown to the host or into the preset dump.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "tests/CommaLocale.h"
#include "tests/framework/TestEffect.h"

namespace {

class CommaLocale : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(locale_.Active()) << ScopedCommaLocale::kMissing; }
  ScopedCommaLocale locale_;
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
