// brume-render end to end, in-process: renders through Brume and through a
// small test plug-in, and every user error with its message and status.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tools/brume-render/AudioFile.h"
#include "tools/brume-render/BrumeRender.h"
#include "tools/brume-render/DemoSignal.h"

namespace {

std::string TempPath(const std::string& name) { return std::string(::testing::TempDir()) + "brume_e2e_" + name; }

bool Exists(const std::string& path) { return std::ifstream(path).good(); }

struct RunResult {
  int status;
  std::string out, err;
};

RunResult Render(std::vector<std::string> args, const std::string& plugin = KESTREL_BRUME_PATH) {
  std::vector<const char*> argv = {"brume-render"};
  for (const std::string& a : args) argv.push_back(a.c_str());
  std::ostringstream out, err;
  const int status = RunBrumeRender(static_cast<int>(argv.size()), argv.data(), out, err, plugin);
  return {status, out.str(), err.str()};
}

// The messages without a progress bar (drawn when a render that fails
// only at the end ran longer than a second, as in slow sanitizer builds).
std::string WithoutProgress(const std::string& err) {
  std::string kept;
  std::istringstream lines(err);
  for (std::string line; std::getline(lines, line);)
    if (line.rfind("\rrendering [", 0) != 0) kept += line + '\n';
  return kept;
}

// One line, prefixed with the tool's name, and a failing status.
void ExpectOneError(const RunResult& run, int status, const std::string& fragment) {
  ASSERT_FALSE(fragment.empty()) << "an empty fragment would match any message";
  const std::string err = WithoutProgress(run.err);
  EXPECT_EQ(run.status, status);
  EXPECT_EQ(err.rfind("brume-render: ", 0), 0u) << run.err;
  EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << run.err;
  EXPECT_NE(err.find(fragment), std::string::npos) << run.err;
  EXPECT_EQ(run.out, "");
}

double Rms(const std::vector<double>& v) {
  double sum = 0.0;
  for (double x : v) sum += x * x;
  return v.empty() ? 0.0 : std::sqrt(sum / v.size());
}

}  // namespace

TEST(BrumeRender, DemoThroughInitIsNotSilentAndDiffersFromTheInput) {
  const std::string out = TempPath("init.wav");
  const RunResult run = Render({"--preset", "Init", "--out", out});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find("preset 0 \"Init\""), std::string::npos) << run.out;
  StereoAudio rendered;
  std::string error;
  ASSERT_TRUE(ReadAudioFile(out, rendered, error)) << error;
  const StereoAudio demo = MakeDemoSignal(44100, 120.0);
  ASSERT_EQ(rendered.Frames(), demo.Frames());
  EXPECT_GT(Rms(rendered.left), 1e-3);
  EXPECT_GT(Rms(rendered.right), 1e-3);
  double difference = 0.0;
  for (size_t i = 0; i < demo.Frames(); ++i) difference += std::fabs(rendered.left[i] - demo.left[i]);
  EXPECT_GT(difference / demo.Frames(), 1e-3);
}

TEST(BrumeRender, ContrastingPresetsSoundDifferent) {
  StereoAudio a, b;
  std::string error;
  ASSERT_EQ(Render({"--preset", "lofi nofi", "--out", TempPath("lofi.wav")}).status, 0);
  ASSERT_EQ(Render({"--preset", "16", "--out", TempPath("cross.wav")}).status, 0);  // "cross delay"
  ASSERT_TRUE(ReadAudioFile(TempPath("lofi.wav"), a, error));
  ASSERT_TRUE(ReadAudioFile(TempPath("cross.wav"), b, error));
  EXPECT_NE(a.left, b.left);
}

TEST(BrumeRender, FlacRoundTripThroughThePlugin) {
  StereoAudio input;
  input.rate = 48000;
  input.Resize(48000 / 2);
  for (size_t i = 0; i < input.Frames(); ++i)
    input.left[i] = input.right[i] = 0.5 * std::sin(2.0 * 3.14159265358979 * 220.0 * i / 48000.0);
  std::string error;
  ASSERT_TRUE(WriteAudioFile(TempPath("in.flac"), input, error)) << error;
  const RunResult run = Render({"--in", TempPath("in.flac"), "--out", TempPath("out.flac"), "--block", "100"});
  ASSERT_EQ(run.status, 0) << run.err;
  StereoAudio output;
  ASSERT_TRUE(ReadAudioFile(TempPath("out.flac"), output, error)) << error;
  EXPECT_EQ(output.rate, 48000);
  ASSERT_EQ(output.Frames(), input.Frames());
  // Start-up settings: half the dry signal, within 24-bit resolution.
  for (size_t i = 0; i < output.Frames(); ++i) ASSERT_NEAR(output.left[i], 0.5 * input.left[i], 1e-6) << i;
}

TEST(BrumeRender, ListsAll128Programs) {
  const RunResult run = Render({"--list-presets"});
  ASSERT_EQ(run.status, 0);
  EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), 128);
  EXPECT_EQ(run.out.rfind("  0  Init\n", 0), 0u);
  EXPECT_NE(run.out.find("\n  5  sliced \n"), std::string::npos);
  EXPECT_NE(run.out.find("\n127  -\n"), std::string::npos);
}

TEST(BrumeRender, SinglePrecisionPluginsAndMonoInput) {
  StereoAudio mono;
  mono.rate = 8000;
  mono.Resize(1000);
  for (size_t i = 0; i < 1000; ++i) mono.left[i] = mono.right[i] = (i % 100) / 200.0;
  std::string error;
  ASSERT_TRUE(WriteAudioFile(TempPath("mono-source.wav"), mono, error));
  ASSERT_EQ(std::system(("sox -q -V1 '" + TempPath("mono-source.wav") + "' -c 1 '" + TempPath("mono.wav") + "' remix 1")
                            .c_str()),
            0);
  const RunResult run = Render({"--plugin", KESTREL_PASSTHROUGH_PLUGIN, "--preset", "half", "--in", TempPath("mono.wav"),
                          "--out", TempPath("half.wav"), "--block", "33"});
  ASSERT_EQ(run.status, 0) << run.err;
  StereoAudio out;
  ASSERT_TRUE(ReadAudioFile(TempPath("half.wav"), out, error));
  ASSERT_EQ(out.Frames(), 1000u);
  for (size_t i = 0; i < 1000; ++i) {
    ASSERT_NEAR(out.left[i], 0.5 * mono.left[i], 1e-6);
    ASSERT_NEAR(out.right[i], -0.5 * mono.left[i], 1e-6) << "mono input fed to the second channel too";
  }
}

TEST(BrumeRender, HelpGoesToStandardOutput) {
  const RunResult run = Render({"--help"});
  EXPECT_EQ(run.status, 0);
  EXPECT_NE(run.out.find("usage: brume-render"), std::string::npos);
  EXPECT_EQ(run.err, "");
}

// ---- User errors --------------------------------------------------------------------

TEST(BrumeRenderErrors, BadOptions) {
  ExpectOneError(Render({"--bogus"}), 2, "unknown option '--bogus'");
  ExpectOneError(Render({"--tempo", "fast"}), 2, "--tempo");
  ExpectOneError(Render({"--out"}), 2, "needs a value");
  ExpectOneError(Render({"--out", TempPath("x.mp3")}), 2, "must end in .wav or .flac");
}

TEST(BrumeRenderErrors, MissingOrUnreadableInput) {
  ExpectOneError(Render({"--in", TempPath("nowhere.wav"), "--out", TempPath("never.wav")}), 1, "cannot read");
  std::ofstream(TempPath("junk.wav")) << "RIFF? no.";
  ExpectOneError(Render({"--in", TempPath("junk.wav"), "--out", TempPath("never.wav")}), 1, "junk.wav");
  const std::string folder = ::testing::TempDir();
  ExpectOneError(Render({"--in", folder, "--out", TempPath("never.wav")}), 1, "cannot read '" + folder + "'");
  EXPECT_FALSE(Exists(TempPath("never.wav")));
}

TEST(BrumeRenderErrors, RateThatDiffersFromTheInputFile) {
  StereoAudio input;
  input.rate = 44100;
  input.Resize(100);
  std::string error;
  ASSERT_TRUE(WriteAudioFile(TempPath("rate.wav"), input, error));
  ExpectOneError(Render({"--in", TempPath("rate.wav"), "--rate", "48000", "--out", TempPath("never.wav")}), 2,
                 "does not resample");
}

TEST(BrumeRenderErrors, InputAtARateThePluginRefuses) {
  for (int rate : {800, 800000}) {
    StereoAudio input;
    input.rate = rate;
    input.Resize(100);
    std::string error;
    ASSERT_TRUE(WriteAudioFile(TempPath("odd-rate.wav"), input, error)) << error;
    const std::string outPath = TempPath("odd-rate-out.wav");
    std::remove(outPath.c_str());
    ExpectOneError(Render({"--in", TempPath("odd-rate.wav"), "--out", outPath}), 1,
                   "is at " + std::to_string(rate) + " Hz; Brume runs at 1000 to 768000 Hz");
    EXPECT_FALSE(Exists(outPath));
  }
}

TEST(BrumeRenderErrors, UnknownPreset) {
  ExpectOneError(Render({"--preset", "no such sound", "--out", TempPath("never.wav")}), 1,
                 "unknown preset 'no such sound'");
  ExpectOneError(Render({"--preset", "128", "--out", TempPath("never.wav")}), 1, "unknown preset '128'");
  EXPECT_FALSE(Exists(TempPath("never.wav")));
}

TEST(BrumeRenderErrors, PluginsThatDoNotLoad) {
  ExpectOneError(Render({"--list-presets", "--plugin", TempPath("absent.so")}), 1, "cannot load plug-in");
  std::ofstream(TempPath("fake.so")) << "not a library";
  ExpectOneError(Render({"--list-presets", "--plugin", TempPath("fake.so")}), 1, "cannot load plug-in");
  ExpectOneError(Render({"--list-presets", "--plugin", KESTREL_NO_ENTRY_PLUGIN}), 1, "is not a VST 2.4 plug-in");
  ExpectOneError(Render({"--list-presets", "--plugin", KESTREL_NULL_PLUGIN}), 1, "could not create an instance");
}

TEST(BrumeRenderErrors, OutputThatCannotBeWritten) {
  ExpectOneError(Render({"--out", TempPath("no/such/dir/out.wav")}), 1, "cannot write");
}
