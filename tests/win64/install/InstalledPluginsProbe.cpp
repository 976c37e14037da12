// Loads installed Brume files as hosts do and renders the same second of
// audio through both with the factory program "HP Sweep":
//   installed_plugins_probe <Brume.dll> <Brume.vst3 module>
// Prints what it saw; exit status 0 when both loaded, changed the input and
// gave the same samples.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "effect/FactoryPresets.h"
#include "effect/ParameterTable.h"
#include "framework/IStateChunk.h"
#include "tests/vst/PluginFile.h"
#include "tests/vst3/Vst3Host.h"

namespace {

constexpr int kFrames = 48000, kBlock = 512, kProgram = 3;
using Stereo = std::vector<std::vector<float>>;

VstIntPtr SilentHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
  return opcode == audioMasterVersion ? 2400 : 0;
}

Stereo Input() {
  Stereo in(2, std::vector<float>(kFrames));
  for (int i = 0; i < kFrames; ++i) {
    in[0][i] = 0.5f * std::sin(0.03f * static_cast<float>(i));
    in[1][i] = 0.3f * std::sin(0.011f * static_cast<float>(i) + 1.0f);
  }
  return in;
}

template <typename Block>
Stereo Render(const Stereo& in, Block block) {
  Stereo out(2, std::vector<float>(kFrames));
  for (int start = 0; start < kFrames; start += kBlock) {
    float* inputs[] = {const_cast<float*>(&in[0][start]), const_cast<float*>(&in[1][start])};
    float* outputs[] = {&out[0][start], &out[1][start]};
    block(inputs, outputs, std::min(kBlock, kFrames - start));
  }
  return out;
}

bool RenderVst2(const std::string& path, const Stereo& in, Stereo& out) {
  PluginFile file(path);
  if (!file.Loaded() || !file.Main()) {
    std::printf("VST 2.4: cannot load %s: %s\n", path.c_str(), file.Error().c_str());
    return false;
  }
  AEffect* effect = file.Main()(&SilentHost);
  if (!effect) return false;
  Dispatch(effect, effOpen);
  Dispatch(effect, effSetSampleRate, 0, 0, nullptr, 48000.0f);
  Dispatch(effect, effSetBlockSize, 0, kBlock);
  Dispatch(effect, effSetProgram, 0, kProgram);
  Dispatch(effect, effMainsChanged, 0, 1);
  out = Render(in, [&](float** i, float** o, int n) { effect->processReplacing(effect, i, o, n); });
  Dispatch(effect, effMainsChanged, 0, 0);
  Dispatch(effect, effClose);
  return true;
}

bool RenderVst3(const std::string& path, const Stereo& in, Stereo& out) {
  vst3_host::Module module(path);
  if (!module.Loaded()) {
    std::printf("VST3: cannot load %s\n", path.c_str());
    return false;
  }
  vst3_host::Instance plugin(module.Factory());
  double values[kParameterCount];
  FactoryPresetValues(kProgram, values);
  IStateChunk chunk;
  WriteChunkHeader(chunk);
  for (double v : values) chunk.AppendDouble(v);
  if (!plugin.Valid() || !plugin.Setup(48000.0, kBlock) ||
      !plugin.SetState(std::vector<uint8_t>(chunk.Data(), chunk.Data() + chunk.Size()))) {
    std::printf("VST3: no working instance from %s\n", path.c_str());
    return false;
  }
  out = Render(in, [&](float** i, float** o, int n) { plugin.Process(i, o, n); });
  return true;
}

bool Audible(const Stereo& out, const Stereo& in) {
  double energy = 0.0;
  for (int c = 0; c < 2; ++c)
    for (float s : out[c]) {
      if (!std::isfinite(s)) return false;
      energy += static_cast<double>(s) * s;
    }
  return energy > 1.0 && out != in;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::printf("usage: installed_plugins_probe <Brume.dll> <Brume.vst3 module>\n");
    return 2;
  }
  const Stereo in = Input();
  Stereo vst2, vst3;
  if (!RenderVst2(argv[1], in, vst2) || !RenderVst3(argv[2], in, vst3)) return 1;
  const bool audible2 = Audible(vst2, in), audible3 = Audible(vst3, in), same = vst2 == vst3;
  std::printf("VST 2.4 %s, VST3 %s, %s samples\n", audible2 ? "processed" : "silent or unchanged",
              audible3 ? "processed" : "silent or unchanged", same ? "same" : "different");
  return audible2 && audible3 && same ? 0 : 1;
}
