#pragma once
#include "framework/IStateChunk.h"

// One preset slot of the plug-in base. Values hold one block in the
// parameter chunk format (each parameter's real value as float64).
struct IPreset {
  static constexpr int kNameSize = 256;  // NUL included
  bool initialised = false;
  char name[kNameSize] = "empty";
  IStateChunk values;
};
