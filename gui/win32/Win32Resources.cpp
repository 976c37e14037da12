#include "gui/win32/Win32Resources.h"

#include "gui/EmbeddedResource.h"
#include "gui/ModuleHandle.h"

bool FindPngResource(HMODULE module, int resourceId, const void** data, size_t* size) {
  HRSRC resource = FindResourceA(module, MAKEINTRESOURCEA(resourceId), "PNG");
  if (!resource) return false;
  const DWORD length = SizeofResource(module, resource);
  HGLOBAL loaded = LoadResource(module, resource);
  const void* bytes = loaded ? LockResource(loaded) : nullptr;
  if (!bytes || length < 8) return false;
  *data = bytes;
  *size = length;
  return true;
}

HMODULE ImageModule() {
  if (void* recorded = PluginModuleHandle()) return static_cast<HMODULE>(recorded);
  HMODULE own = nullptr;
  GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCSTR>(&ImageModule), &own);
  return own;
}

bool FindEmbeddedResource(int resourceId, const void** data, size_t* size) {
  return FindPngResource(ImageModule(), resourceId, data, size);
}
