#include <gtest/gtest.h>

#include <cstdarg>
#include <cstdio>
#include <string>
#include <vector>

#include "framework/IHostId.h"
#include "framework/ITrace.h"
#include "tests/framework/TestEffect.h"

namespace {

TEST(HostLookup, MatchesLowerCasedSubstringsInTableOrder) {
  EXPECT_EQ(LookupHostId("Steinberg Cubase 5"), kHostCubase);
  EXPECT_EQ(LookupHostId("REAPER"), kHostReaper);
  EXPECT_EQ(LookupHostId("cubase live edition"), kHostCubase);
  EXPECT_EQ(LookupHostId("Ableton Live"), kHostLive);
  EXPECT_EQ(LookupHostId("PreSonus VST2 Host"), kHostPresonus);
  EXPECT_EQ(LookupHostId("Some Standalone Reaper"), kHostStandalone);
  EXPECT_EQ(LookupHostId("Bitwig"), kHostUnknown);
  EXPECT_EQ(LookupHostId(""), kHostUnknown);
  EXPECT_EQ(LookupHostId(nullptr), kHostUnknown);
}

TEST(HostVersion, PackingAndText) {
  EXPECT_EQ(PackDecimalVersion(50102), 0x00050102);
  EXPECT_EQ(PackDecimalVersion(0), 0);
  EXPECT_EQ(PackDecimalVersion(-7), 0);
  char text[32];
  FormatVersionText(0x00050102, text, sizeof text);
  EXPECT_STREQ(text, "v5.1.2");
  TestEffect fx;
  EXPECT_EQ(fx.Version(), 0x00010203);
  EXPECT_EQ(fx.VersionNumber(false), 0x00010203);
  EXPECT_EQ(fx.VersionNumber(true), 10203);
}

std::vector<std::string> gTrace;

void CaptureTrace(const char* function, int, const char* format, va_list args) {
  char text[256];
  std::vsnprintf(text, sizeof text, format, args);
  gTrace.push_back(std::string(function) + "|" + text);
}

TEST(HostIdentity, SetHostStoresIdAndVersionAndTraces) {
  TestEffect fx;
  EXPECT_EQ(fx.HostId(), -1);
  gTrace.clear();
  SetTraceSink(CaptureTrace);
  fx.SetHost("Adobe Audition", 0x00030000);
  fx.SetHost("Mystery DAW", 0x00010000);
  SetTraceSink(nullptr);
  EXPECT_EQ(fx.StoredHostId(), kHostUnknown);
  EXPECT_EQ(fx.HostVersion(), 0x00010000);
  ASSERT_EQ(gTrace.size(), 2u);
  EXPECT_EQ(gTrace[0], "IEffectBase::SetHost|host_known:Adobe Audition:v3.0.0");
  EXPECT_EQ(gTrace[1], "IEffectBase::SetHost|host_unknown:Mystery DAW:v1.0.0");
}

TEST(Trace, DefaultSinkDiscardsAndTimeStampHasTheFixedForm) {
  TracePoint("x", 1, "%s %d", "nothing happens", 3);
  const std::string stamp = TimeStamp();
  // "YYYYMMDD HH:MM " then only capital letters of the zone name.
  ASSERT_GE(stamp.size(), 15u);
  for (int i : {0, 1, 2, 3, 4, 5, 6, 7, 9, 10, 12, 13}) EXPECT_TRUE(isdigit(stamp[i])) << stamp;
  EXPECT_EQ(stamp[8], ' ');
  EXPECT_EQ(stamp[11], ':');
  EXPECT_EQ(stamp[14], ' ');
  for (size_t i = 15; i < stamp.size(); ++i) EXPECT_TRUE(isupper(stamp[i])) << stamp;
}

TEST(Trace, FrameworkPassesItsFixedPoints) {
  TestEffect fx;
  fx.Parameter(0)->DefineDouble("Gain", 0, -80, 10, 0.1, "dB");
  gTrace.clear();
  SetTraceSink(CaptureTrace);
  fx.LegalIO(2, 2);
  fx.LegalIO(3, 3);
  fx.SetParameterFromGUI(0, 0.5);
  SetTraceSink(nullptr);
  const std::vector<std::string> want{
      "IEffectBase::LegalIO|2:2:legal", "IEffectBase::LegalIO|3:3:illegal",
      "IEffectBase::SetParameterFromGUI|0:0.500000"};
  EXPECT_EQ(gTrace, want);
}

}  // namespace
