#pragma once
// brume-render as a callable: the whole command, with its streams and the
// plug-in used when --plugin is not given passed in, so tests can run it
// in-process.

#include <ostream>
#include <string>
#include <vector>

// Exit status: 0 success, 1 a failure while doing the work (file, plug-in,
// preset), 2 a malformed command line.
int RunBrumeRender(int argc, const char* const* argv, std::ostream& out, std::ostream& err,
                   const std::string& defaultPlugin);

// Program index for a --preset argument: a number 0..count-1, an exact
// name, or else a name matched ignoring case and surrounding blanks.
// -1 when nothing matches.
int FindPreset(const std::vector<std::string>& names, const std::string& wanted);
