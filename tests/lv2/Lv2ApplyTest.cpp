// lilv's lv2apply, a host without atom ports (the Control port stays
// unconnected, no urid:map, one frame per run), renders a file exactly as
// brume-render renders it through the VST plug-in at the start-up values.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "lv2/BrumeLv2Ids.h"
#include "tools/brume-render/AudioFile.h"

namespace {

namespace fs = std::filesystem;

std::string Quoted(const fs::path& path) { return "'" + path.string() + "'"; }

TEST(Lv2Apply, RendersBitIdenticallyToBrumeRenderAtTheStartUpValues) {
#ifdef KESTREL_SANITIZED
  GTEST_SKIP() << "a sanitized plug-in cannot load into lv2apply";
#endif
  if (std::string(KESTREL_LV2APPLY).empty()) GTEST_SKIP() << "lv2apply is not installed";
  const fs::path dir = KESTREL_LV2APPLY_SCRATCH;
  fs::remove_all(dir);
  // LV2_PATH holds the bundle alone.
  fs::create_directories(dir / "lv2");
  fs::create_directory_symlink(BRUME_LV2_BUNDLE_PATH, dir / "lv2" / brume_lv2::kBundleName);

  StereoAudio in;
  in.Resize(22050);
  for (size_t i = 0; i < in.Frames(); ++i) {
    in.left[i] = static_cast<float>(0.5 * std::sin(0.02 * static_cast<double>(i)));
    in.right[i] = static_cast<float>(i % 3000 < 200 ? 0.7 : -0.1);
  }
  std::string error;
  ASSERT_TRUE(WriteAudioFile((dir / "in.wav").string(), in, error)) << error;
  const std::string render = std::string("'") + KESTREL_BRUME_RENDER + "' --in " + Quoted(dir / "in.wav") +
                             " --out " + Quoted(dir / "vst.wav") + " > /dev/null";
  const std::string apply = "LV2_PATH=" + Quoted(dir / "lv2") + " '" + KESTREL_LV2APPLY + "' -i " +
                            Quoted(dir / "in.wav") + " -o " + Quoted(dir / "lv2.wav") + " " + brume_lv2::kPluginUri;
  ASSERT_EQ(std::system(render.c_str()), 0) << render;
  ASSERT_EQ(std::system(apply.c_str()), 0) << apply;

  StereoAudio vst, lv2;
  ASSERT_TRUE(ReadAudioFile((dir / "vst.wav").string(), vst, error)) << error;
  ASSERT_TRUE(ReadAudioFile((dir / "lv2.wav").string(), lv2, error)) << error;
  ASSERT_EQ(lv2.Frames(), in.Frames());
  EXPECT_NE(vst.left, in.left) << "the effect left the input as it was";
  EXPECT_TRUE(lv2.left == vst.left && lv2.right == vst.right);
}

}  // namespace
