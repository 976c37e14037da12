#include "vst3/Vst3State.h"

namespace brume_vst3 {

bool ReadStream(vst3::IBStream* stream, IStateChunk& chunk) {
  chunk.Clear();
  if (!stream) return false;
  char buffer[4096];
  for (;;) {
    vst3::int32 got = 0;
    const vst3::tresult result = stream->read(buffer, sizeof buffer, &got);
    // Streams answer the end with a short count, nothing read, or a
    // failure; what was read until then is the state (checked whole later).
    // A count outside the request is not believed.
    if (got < 0 || got > static_cast<vst3::int32>(sizeof buffer)) return false;
    if (got == 0) return true;
    if (chunk.Size() + got > kMaxStateBytes) return false;
    if (!chunk.AppendBytes(buffer, got)) return false;
    if (result != vst3::kResultOk) return true;
  }
}

bool WriteStream(vst3::IBStream* stream, const IStateChunk& chunk) {
  if (!stream) return false;
  vst3::int32 written = 0;
  auto* data = const_cast<uint8_t*>(chunk.Data());
  for (int at = 0; at < chunk.Size(); at += written) {
    written = 0;
    if (stream->write(data + at, chunk.Size() - at, &written) != vst3::kResultOk) return false;
    if (written <= 0) return false;
  }
  return true;
}

bool LoadState(vst3::IBStream* stream, PresetBank& bank, bool* bypassed) {
  IStateChunk chunk;
  return ReadStream(stream, chunk) && ReadBrumeState(bank, chunk, bypassed);
}

bool SaveState(vst3::IBStream* stream, const PresetBank& bank, bool bypassed) {
  IStateChunk chunk;
  return WriteBrumeState(bank, bypassed, chunk) && WriteStream(stream, chunk);
}

}  // namespace brume_vst3
