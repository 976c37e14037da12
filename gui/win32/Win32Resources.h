#pragma once
#include <cstddef>

#include "gui/win32/Win32Api.h"

// The bytes of the resource of type "PNG" with this id in the module; false
// when there is none or it is shorter than a PNG signature.
bool FindPngResource(HMODULE module, int resourceId, const void** data, size_t* size);

// The module that carries the editor's images: the one the plug-in's load
// hook recorded, else the module this code is linked into (a test program).
HMODULE ImageModule();
