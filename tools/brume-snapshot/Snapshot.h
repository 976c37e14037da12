#pragma once
#include <string>

// What brume-snapshot draws: the editor as a program leaves it, optionally
// on a chosen matrix page.
struct SnapshotOptions {
  std::string program;      // name or number 0-127; empty: start-up settings
  std::string page;         // "audio", "mod", or empty for the program's own
  std::string out = "brume-editor.png";
  int scale = 0;  // percent, a step of 100-300; 0: BRUME_UI_SCALE or 100
};

// Parses the command line; returns false with a message in error (usage
// text when help was asked for, with *helpOnly set).
bool ParseSnapshotOptions(int argc, const char* const* argv, SnapshotOptions* options, std::string* error,
                          bool* helpOnly);
// Draws the editor and writes the PNG; false with a message in error.
bool WriteEditorSnapshot(const SnapshotOptions& options, std::string* error);
