#pragma once
#include <string>
#include <vector>

// The program a command line names: a number 0 .. names.size() - 1, the
// exact name, or else the name ignoring case and surrounding blanks
// ("sliced" finds the factory program "sliced "); the first match wins.
// -1 when none does. Every tool matches program names this way.
int FindPreset(const std::vector<std::string>& names, const std::string& wanted);
