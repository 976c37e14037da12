#pragma once
#include <string>

// The three Turtle documents of the Brume bundle, built from the parameter
// table and the factory presets (one source of truth for both formats).
std::string ManifestTtl();  // plug-in, UI and presets, with their files
std::string PluginTtl();    // brume.ttl: the plug-in's ports
std::string PresetsTtl();   // presets.ttl: one pset:Preset per factory program

constexpr const char* kPluginTtlFile = "brume.ttl";
constexpr const char* kPresetsTtlFile = "presets.ttl";
