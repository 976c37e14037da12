// A minimal VST 2.4 effect for the renderer's tests, independent of Brume:
// single precision only, two programs ("Thru" copies, "Half" halves), and a
// right channel that is the left one negated, so channel handling shows.
#include <cstring>

#include "vst/VstAbi.h"

namespace {

struct PassThrough {
  AEffect effect{};
  int program = 0;
};

const char* const kPrograms[2] = {"Thru", "Half"};

VstIntPtr Dispatcher(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float) {
  auto* self = static_cast<PassThrough*>(effect->object);
  switch (opcode) {
    case effClose:
      delete self;
      return 0;
    case effSetProgram:
      if (value >= 0 && value < 2) self->program = static_cast<int>(value);
      return 0;
    case effGetProgram:
      return self->program;
    case effGetProgramNameIndexed:
      if (!ptr || index < 0 || index >= 2) return 0;
      std::strcpy(static_cast<char*>(ptr), kPrograms[index]);
      return 1;
    default:
      return 0;
  }
}

void ProcessReplacing(AEffect* effect, float** inputs, float** outputs, VstInt32 frames) {
  const float gain = static_cast<PassThrough*>(effect->object)->program == 1 ? 0.5f : 1.0f;
  for (VstInt32 i = 0; i < frames; ++i) {
    outputs[0][i] = inputs[0][i] * gain;
    outputs[1][i] = -inputs[0][i] * gain;
  }
}

}  // namespace

extern "C" AEffect* VSTPluginMain(audioMasterCallback) {
  auto* self = new PassThrough;
  AEffect& e = self->effect;
  e.magic = kEffectMagic;
  e.object = self;
  e.dispatcher = &Dispatcher;
  e.processReplacing = &ProcessReplacing;
  e.numPrograms = 2;
  e.numInputs = 2;
  e.numOutputs = 2;
  e.flags = effFlagsCanReplacing;
  e.ioRatio = 1.0f;
  return &e;
}
