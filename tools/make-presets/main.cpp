// make-presets DIR: writes the 20 factory programs as Brume state files
// ("01 Init.brume" ...): the VST 2.4 plug-in's program chunk of each, then
// the bypass field (off), the bytes a CLAP or VST3 host's state load takes.
// Hosts without a preset list of ours (Qtractor) open such a file and hand
// it to the plug-in's state. scripts/make-presets.sh runs it; the files are
// committed in resources/presets/.
#include <cstdio>
#include <fstream>
#include <string>

#include "effect/BrumeState.h"
#include "effect/FactoryPresets.h"
#include "effect/Kestrel.h"

namespace {
VstIntPtr SilentHost(AEffect*, VstInt32, VstInt32, VstIntPtr, void*, float) { return 0; }

// "sliced " -> "06 sliced": the number keeps the factory order.
std::string FileName(int number, const char* name) {
  std::string clean(name);
  while (!clean.empty() && clean.back() == ' ') clean.pop_back();
  char prefix[8];
  std::snprintf(prefix, sizeof prefix, "%02d ", number + 1);
  return prefix + clean + ".brume";
}
}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make-presets DIR\n");
    return 2;
  }
  Kestrel effect(&SilentHost, nullptr);
  AEffect* e = effect.Effect();
  for (int p = 0; p < kFactoryPresetCount; ++p) {
    e->dispatcher(e, effSetProgram, 0, p, nullptr, 0.0f);
    void* data = nullptr;
    const VstIntPtr size = e->dispatcher(e, effGetChunk, 1, 0, &data, 0.0f);
    IStateChunk chunk;
    if (size <= 0 || !chunk.AppendBytes(data, static_cast<int>(size)) || !chunk.AppendInt32(kBypassTag) ||
        !chunk.AppendInt32(0))
      return 1;
    const std::string path = std::string(argv[1]) + "/" + FileName(p, FactoryPresetAt(p).name);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(chunk.Data()), chunk.Size());
    if (!out) {
      std::fprintf(stderr, "make-presets: cannot write %s\n", path.c_str());
      return 1;
    }
    std::printf("wrote %s\n", path.c_str());
  }
  return 0;
}
