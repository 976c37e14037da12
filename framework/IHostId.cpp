#include "framework/IHostId.h"

#include <cctype>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

struct HostKey {
  const char* key;
  int id;
};

// Searched in order; the first key found anywhere in the product wins, so
// the more specific names come before the generic ones.
constexpr HostKey kHostTable[] = {
    {"standalone", kHostStandalone}, {"cubase", kHostCubase},
    {"reaper", kHostReaper},         {"nuendo", kHostNuendo},
    {"cakewalk", kHostCakewalk},     {"samplitude", kHostSamplitude},
    {"fruity", kHostFruity},         {"live", kHostLive},
    {"melodyne", kHostMelodyne},     {"vstmanlib", kHostVstManLib},
    {"aulab", kHostAULab},           {"forte", kHostForte},
    {"chainer", kHostChainer},       {"audition", kHostAudition},
    {"orion", kHostOrion},           {"sawstudio", kHostSawStudio},
    {"logic", kHostLogic},           {"digital", kHostDigital},
    {"audiomulch", kHostAudioMulch}, {"presonus vst2 host", kHostPresonus},
};

}  // namespace

int LookupHostId(const char* product) {
  if (!product) return kHostUnknown;
  std::string lower(product);
  for (char& c : lower) {
    // ASCII only: the host's code page must not change the match.
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  for (const HostKey& entry : kHostTable)
    if (lower.find(entry.key) != std::string::npos) return entry.id;
  return kHostUnknown;
}

int PackDecimalVersion(int decimal) {
  if (decimal < 0) return 0;
  const unsigned major = static_cast<unsigned>(decimal / 10000);
  const unsigned minor = static_cast<unsigned>((decimal % 10000) / 100);
  const unsigned patch = static_cast<unsigned>(decimal % 100);
  return static_cast<int>((major << 16) + (minor << 8) + patch);
}

void FormatVersionText(int packed, char* out, int capacity) {
  if (!out || capacity <= 0) return;
  const unsigned v = static_cast<unsigned>(packed);
  std::snprintf(out, static_cast<size_t>(capacity), "v%u.%u.%u", v >> 16, (v >> 8) & 0xFFu,
                v & 0xFFu);
}
