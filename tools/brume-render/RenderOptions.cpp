#include "tools/brume-render/RenderOptions.h"

#include <charconv>
#include <cstring>

namespace {

constexpr int kMaxBlock = 65536;
constexpr int kMinRate = 8000;
constexpr int kMaxRate = 384000;

// Whole-text conversions: trailing junk ("12x") is an error, and
// std::from_chars always reads '.' as the decimal point.
bool ParseInt(const std::string& text, int& value) {
  const char* end = text.data() + text.size();
  auto result = std::from_chars(text.data(), end, value);
  return !text.empty() && result.ec == std::errc() && result.ptr == end;
}

bool ParseDouble(const std::string& text, double& value) {
  const char* end = text.data() + text.size();
  auto result = std::from_chars(text.data(), end, value, std::chars_format::fixed);
  return !text.empty() && result.ec == std::errc() && result.ptr == end;
}

}  // namespace

const char* RenderUsage() {
  return "usage: brume-render [--plugin PATH] [--preset NAME|INDEX] [--in FILE] [--out FILE]\n"
         "                    [--tempo BPM] [--block N] [--rate HZ] [--list-presets]\n"
         "\n"
         "Renders an audio file (WAV or FLAC, mono or stereo) through the Brume plug-in,\n"
         "loaded through its VST 2.4 entry point as a host would load it.\n"
         "\n"
         "  --plugin PATH    plug-in file (default: the Brume plug-in of this build)\n"
         "  --preset P       factory program by name or number 0-127 (default: start-up settings)\n"
         "  --in FILE        input file (default: a built-in demo of drums and chords)\n"
         "  --out FILE       output .wav (32-bit float) or .flac (24-bit)\n"
         "                   (default: INPUT-brume.wav, or brume-demo.wav)\n"
         "  --tempo BPM      host tempo, 20-999 (default 120)\n"
         "  --block N        frames per processing block, 1-65536 (default 512)\n"
         "  --rate HZ        demo signal rate, 8000-384000 (default 44100); input files keep their own\n"
         "  --list-presets   print the plug-in's program numbers and names, then exit\n";
}

bool ParseRenderOptions(int argc, const char* const* argv, RenderOptions& options, std::string& error) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      options.help = true;
      continue;
    }
    if (arg == "--list-presets") {
      options.listPresets = true;
      continue;
    }
    static const char* const kValued[] = {"--plugin", "--preset", "--in", "--out", "--tempo", "--block", "--rate"};
    bool known = false;
    for (const char* name : kValued) known = known || arg == name;
    if (!known) {
      error = "unknown option '" + arg + "' (see --help)";
      return false;
    }
    if (i + 1 >= argc) {
      error = "option " + arg + " needs a value";
      return false;
    }
    const std::string value = argv[++i];
    if (value.empty()) {
      error = "option " + arg + " needs a non-empty value";
      return false;
    }
    if (arg == "--plugin") {
      options.plugin = value;
    } else if (arg == "--preset") {
      options.preset = value;
    } else if (arg == "--in") {
      options.inPath = value;
    } else if (arg == "--out") {
      options.outPath = value;
    } else if (arg == "--tempo") {
      if (!ParseDouble(value, options.tempo) || !(options.tempo >= 20.0 && options.tempo <= 999.0)) {
        error = "--tempo wants beats per minute between 20 and 999, not '" + value + "'";
        return false;
      }
    } else if (arg == "--block") {
      if (!ParseInt(value, options.block) || options.block < 1 || options.block > kMaxBlock) {
        error = "--block wants a frame count between 1 and 65536, not '" + value + "'";
        return false;
      }
    } else if (arg == "--rate") {
      if (!ParseInt(value, options.rate) || options.rate < kMinRate || options.rate > kMaxRate) {
        error = "--rate wants a sample rate between 8000 and 384000 Hz, not '" + value + "'";
        return false;
      }
      options.rateGiven = true;
    }
  }
  return true;
}

std::string DefaultOutputPath(const RenderOptions& options) {
  if (options.inPath.empty()) return "brume-demo.wav";
  std::string stem = options.inPath;
  const std::size_t slash = stem.find_last_of("/\\");
  const std::size_t dot = stem.find_last_of('.');
  if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) stem.erase(dot);
  return stem + "-brume.wav";
}
