#include "effect/BrumeState.h"

bool WriteBrumeState(const PresetBank& bank, bool bypassed, IStateChunk& chunk) {
  return WriteChunkHeader(chunk) && bank.WriteProgram(chunk) && chunk.AppendInt32(kBypassTag) &&
         chunk.AppendInt32(bypassed ? 1 : 0);
}

bool ReadBrumeState(PresetBank& bank, const IStateChunk& chunk, bool* bypassed) {
  int32_t version = 0;
  const int position = ReadChunkHeader(chunk, &version);
  const int end = position >= 0 ? bank.ReadProgram(chunk, position) : -1;
  if (end < 0) return false;
  int32_t tag = 0, on = 0;
  const int at = chunk.ReadInt32(end, &tag);
  *bypassed = at >= 0 && tag == kBypassTag && chunk.ReadInt32(at, &on) >= 0 && on == 1;
  return true;
}
