#pragma once
// brume-render as a callable: the whole command, with its streams and the
// plug-in used when --plugin is not given passed in, so tests can run it
// in-process.

#include <ostream>
#include <string>
#include <vector>

#include "tools/common/ProgramMatch.h"  // FindPreset, for --preset

// Exit status: 0 success, 1 a failure while doing the work (file, plug-in,
// preset), 2 a malformed command line.
int RunBrumeRender(int argc, const char* const* argv, std::ostream& out, std::ostream& err,
                   const std::string& defaultPlugin);
