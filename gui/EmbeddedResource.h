#pragma once
#include <cstddef>

// The bytes of an image embedded in the plug-in binary under its resource
// id; false when there is none. The data live as long as the library.
bool FindEmbeddedResource(int resourceId, const void** data, size_t* size);
