// WAV and FLAC reading and writing, the demo signal and the progress bar.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "tools/brume-render/AudioFile.h"
#include "tools/brume-render/DemoSignal.h"
#include "tools/brume-render/ProgressBar.h"

namespace {

std::string TempPath(const std::string& name) {
  return std::string(::testing::TempDir()) + "brume_render_" + name;
}

StereoAudio Ramp(int frames, int rate) {
  StereoAudio audio;
  audio.rate = rate;
  audio.Resize(frames);
  for (int i = 0; i < frames; ++i) {
    audio.left[i] = std::sin(i * 0.01) * 0.8;
    audio.right[i] = -0.5 + static_cast<double>(i) / frames;
  }
  return audio;
}

}  // namespace

TEST(AudioFile, WavKeepsEverySampleOfItsFloatData) {
  const StereoAudio written = Ramp(5000, 48000);
  std::string error;
  ASSERT_TRUE(WriteAudioFile(TempPath("ramp.wav"), written, error)) << error;
  StereoAudio read;
  ASSERT_TRUE(ReadAudioFile(TempPath("ramp.wav"), read, error)) << error;
  EXPECT_EQ(read.rate, 48000);
  ASSERT_EQ(read.Frames(), 5000u);
  for (int i = 0; i < 5000; ++i) {
    ASSERT_EQ(read.left[i], static_cast<float>(written.left[i]));
    ASSERT_EQ(read.right[i], static_cast<float>(written.right[i]));
  }
}

TEST(AudioFile, FlacRoundTripIsWithin24BitResolution) {
  const StereoAudio written = Ramp(7000, 44100);
  std::string error;
  ASSERT_TRUE(WriteAudioFile(TempPath("ramp.FLAC"), written, error)) << error;
  StereoAudio read;
  ASSERT_TRUE(ReadAudioFile(TempPath("ramp.FLAC"), read, error)) << error;
  EXPECT_EQ(read.rate, 44100);
  ASSERT_EQ(read.Frames(), 7000u);
  for (int i = 0; i < 7000; ++i) {
    ASSERT_NEAR(read.left[i], written.left[i], 1.0 / (1 << 22));
    ASSERT_NEAR(read.right[i], written.right[i], 1.0 / (1 << 22));
  }
}

TEST(AudioFile, FlacClipsInsteadOfWrapping) {
  StereoAudio loud;
  loud.rate = 44100;
  loud.Resize(10);
  loud.left.assign(10, 1.7);
  loud.right.assign(10, -3.0);
  std::string error;
  ASSERT_TRUE(WriteAudioFile(TempPath("loud.flac"), loud, error)) << error;
  StereoAudio read;
  ASSERT_TRUE(ReadAudioFile(TempPath("loud.flac"), read, error)) << error;
  EXPECT_GT(read.left[5], 0.99);
  EXPECT_LT(read.right[5], -0.99);
}

TEST(AudioFile, MonoFilesFeedBothChannels) {
  // Written through the stereo writer's library directly: a mono WAV.
  StereoAudio source = Ramp(300, 22050);
  std::string error;
  ASSERT_TRUE(WriteAudioFile(TempPath("stereo.wav"), source, error));
  ASSERT_EQ(std::system(("sox -q -V1 '" + TempPath("stereo.wav") + "' -c 1 '" + TempPath("mono.wav") + "' remix 1").c_str()),
            0);
  StereoAudio read;
  ASSERT_TRUE(ReadAudioFile(TempPath("mono.wav"), read, error)) << error;
  ASSERT_EQ(read.Frames(), 300u);
  for (int i = 0; i < 300; ++i) {
    ASSERT_EQ(read.left[i], read.right[i]);
    ASSERT_NEAR(read.left[i], source.left[i], 1e-6);
  }
}

TEST(AudioFile, UnreadableFilesGiveAReason) {
  StereoAudio read;
  std::string error;
  EXPECT_FALSE(ReadAudioFile(TempPath("does-not-exist.wav"), read, error));
  EXPECT_NE(error.find("cannot read"), std::string::npos);
  std::ofstream(TempPath("text.wav")) << "this is not audio";
  EXPECT_FALSE(ReadAudioFile(TempPath("text.wav"), read, error));
  EXPECT_NE(error.find("text.wav"), std::string::npos);
  ASSERT_EQ(std::system(("sox -q -V1 -n -r 8000 -c 3 '" + TempPath("three.wav") + "' trim 0 0.01").c_str()), 0);
  EXPECT_FALSE(ReadAudioFile(TempPath("three.wav"), read, error));
  EXPECT_NE(error.find("3 channels"), std::string::npos);
}

TEST(AudioFile, OnlyWavAndFlacAreWritten) {
  EXPECT_TRUE(IsSupportedOutputPath("a.wav"));
  EXPECT_TRUE(IsSupportedOutputPath("dir.x/a.FLAC"));
  EXPECT_FALSE(IsSupportedOutputPath("a.mp3"));
  EXPECT_FALSE(IsSupportedOutputPath("dir.wav/a"));
  std::string error;
  EXPECT_FALSE(WriteAudioFile(TempPath("x.ogg"), Ramp(10, 8000), error));
  EXPECT_FALSE(WriteAudioFile(TempPath("missing-dir/x.wav"), Ramp(10, 8000), error));
  EXPECT_NE(error.find("cannot write"), std::string::npos);
}

TEST(DemoSignal, TwoBarsOfMusicThenASecondOfSilence) {
  const StereoAudio demo = MakeDemoSignal(44100, 120.0);
  EXPECT_EQ(demo.rate, 44100);
  ASSERT_EQ(demo.Frames(), 4u * 44100 + 44100) << "two 4/4 bars at 120 BPM are four seconds";
  double peak = 0.0, tail = 0.0, energy = 0.0;
  for (size_t i = 0; i < demo.Frames(); ++i) {
    peak = std::fmax(peak, std::fmax(std::fabs(demo.left[i]), std::fabs(demo.right[i])));
    if (i >= 4u * 44100 + 22050) tail = std::fmax(tail, std::fabs(demo.left[i]));
    energy += demo.left[i] * demo.left[i];
  }
  EXPECT_NEAR(peak, 0.7, 1e-12);
  EXPECT_LT(tail, 1e-3);
  EXPECT_GT(energy / demo.Frames(), 1e-3);
  EXPECT_NE(demo.left, demo.right) << "a stereo picture, not mono";
}

TEST(DemoSignal, FollowsRateAndTempoAndRepeatsExactly) {
  EXPECT_EQ(MakeDemoSignal(48000, 120.0).Frames(), 5u * 48000);
  EXPECT_EQ(MakeDemoSignal(44100, 60.0).Frames(), 9u * 44100);
  EXPECT_EQ(MakeDemoSignal(22050, 140.0).left, MakeDemoSignal(22050, 140.0).left);
}

TEST(ProgressBar, StaysHiddenForShortRenders) {
  std::ostringstream stream;
  ProgressBar bar(stream, 100);
  bar.Update(50);
  bar.Finish();
  EXPECT_FALSE(bar.Shown());
  EXPECT_EQ(stream.str(), "");
}

TEST(ProgressBar, DrawsAndCompletesItsLineOnceShown) {
  std::ostringstream stream;
  ProgressBar bar(stream, 200, std::chrono::milliseconds(0));
  bar.Update(50);
  EXPECT_TRUE(bar.Shown());
  EXPECT_NE(stream.str().find("] 25%"), std::string::npos);
  bar.Finish();
  EXPECT_NE(stream.str().find("] 100%\n"), std::string::npos);
  EXPECT_EQ(stream.str().back(), '\n');
}
