#pragma once
#include <cstdarg>

// Fixed trace points passed by the framework. The default sink discards
// them; a sink that formats and writes them can be installed without
// touching the callers. Nothing in the plug-in depends on them.
using TraceSink = void (*)(const char* function, int line, const char* format, va_list args);

void SetTraceSink(TraceSink sink);  // null restores the discarding sink
void TracePoint(const char* function, int line, const char* format, ...);

// Local time as "%Y%m%d %H:%M " followed by the upper-case letters of the
// time-zone name. Kept in one process-wide buffer (instances are created one
// at a time) and returned.
const char* TimeStamp();
