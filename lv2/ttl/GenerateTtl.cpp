// Writes manifest.ttl, brume.ttl and presets.ttl into the bundle folder
// given as the only argument (run by the build after the tables change).
#include <cstdio>
#include <fstream>
#include <string>

#include "lv2/ttl/BrumeTtl.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <bundle folder>\n", argv[0]);
    return 2;
  }
  const struct {
    const char* file;
    std::string text;
  } documents[] = {{"manifest.ttl", ManifestTtl()}, {kPluginTtlFile, PluginTtl()}, {kPresetsTtlFile, PresetsTtl()}};
  for (const auto& document : documents) {
    const std::string path = std::string(argv[1]) + "/" + document.file;
    std::ofstream out(path, std::ios::binary);
    out << document.text;
    if (!out.flush()) {
      std::fprintf(stderr, "cannot write %s\n", path.c_str());
      return 1;
    }
  }
  return 0;
}
