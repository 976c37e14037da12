#include "effect/PresetDumpPath.h"

// There is no drive C here, and writing into the file system root is not
// something a plug-in should try: the dump is skipped.
const char* PresetDumpPath() { return nullptr; }
