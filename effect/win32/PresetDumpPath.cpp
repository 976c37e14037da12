#include "effect/PresetDumpPath.h"

// The root of drive C, where the preset table's author picks the dump up.
const char* PresetDumpPath() { return "c:\\dumpfile.txt"; }
