#pragma once

// Where the effect writes its preset-maker dump when it is destroyed, or
// null when this platform has no such place. The path is a developer
// facility: the plug-in never reads the file back.
const char* PresetDumpPath();
