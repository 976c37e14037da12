#pragma once
// Command line of brume-render.

#include <string>

struct RenderOptions {
  std::string plugin;      // empty: the plug-in built next to the renderer
  std::string preset;      // empty: keep the plug-in's start-up settings
  std::string inPath;      // empty: the built-in demo signal
  std::string outPath;     // empty: derived from the input name
  double tempo = 120.0;    // beats per minute reported to the plug-in
  int block = 512;         // frames per process call
  int rate = 44100;        // demo signal rate; must match an input file's rate
  bool rateGiven = false;
  bool listPresets = false;
  bool help = false;
};

// Parses argv[1..argc-1]. Returns false with a one-line message in `error`
// for an unknown option, a missing or malformed value, or a value out of
// range. Number parsing ignores the process locale.
bool ParseRenderOptions(int argc, const char* const* argv, RenderOptions& options, std::string& error);

// The --help text.
const char* RenderUsage();

// The output file used when --out is not given.
std::string DefaultOutputPath(const RenderOptions& options);
