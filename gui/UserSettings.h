#pragma once
#include <string>

// The editor's settings that belong to the user rather than to a project
// (the display scale chosen in the size menu), in a small text file:
// $XDG_CONFIG_HOME/Brume/settings (~/.config when unset) on Linux,
// %APPDATA%\Orvendale\Brume\settings on Windows. Any thread; editors of
// several instances (in several processes) may save and load at once.
namespace UserSettings {
// The file's path; empty when the environment names no folder for it.
std::string FilePath();
// The chosen scale in percent, 0 for Auto. A missing, unreadable or
// garbled file is Auto; nothing is ever reported to the host.
int LoadScale();
// Writes the choice (0: Auto), making the folders; false (and nothing
// changed) when it cannot.
bool SaveScale(int percent);
}  // namespace UserSettings
