// Program changes, state chunks and text entry of parameter values.
#include <algorithm>
#include <cstring>
#include <functional>
#include <vector>

#include "framework/NumberFormat.h"
#include "vst/IVstBinding.h"
#include "framework/ParseDecimal.h"

VstIntPtr IVstBinding::SetProgram(VstIntPtr index) {
  // The current values go into the current slot first, so that edits made
  // to a program survive switching away from it. Only edits do: right after
  // construction (or a load) the parameters are not the slot's content, and
  // storing them would overwrite a factory program with whatever happens to
  // be live.
  if (!UsesStateChunks() && editedSinceLoad_) ModifyCurrentPreset(nullptr);
  if (index >= 0 && index < PresetCount()) LoadPreset(static_cast<int>(index));
  editedSinceLoad_ = false;
  return 0;
}

VstIntPtr IVstBinding::GetChunk(bool bank, void* ptr) {
  if (!ptr) return 0;
  IStateChunk& chunk = bank ? bankChunk_ : programChunk_;
  if (!WriteChunkHeader(chunk)) return 0;
  bool ok;
  if (bank) {
    // Same reasoning as a program change: unedited values are either the
    // slot's own or not the slot's at all.
    if (editedSinceLoad_) {
      ModifyCurrentPreset(nullptr);
      editedSinceLoad_ = false;
    }
    ok = IEffectBase::SerializePresets(chunk);
  } else {
    ok = SaveState(chunk);
  }
  if (!ok || chunk.Size() == 0) return 0;
  *static_cast<const void**>(ptr) = chunk.Data();
  return chunk.Size();
}

VstIntPtr IVstBinding::SetChunk(bool bank, VstIntPtr size, const void* data) {
  if (!data || size < 0 || size > kMaxChunkBytes) return 0;
  IStateChunk& chunk = bank ? bankChunk_ : programChunk_;
  // Hosts may hand back the very buffer effGetChunk gave them. Copying it
  // onto itself overlaps, and growing it would free it before it is read,
  // so such data is taken from a copy (never more than the buffer holds).
  const auto* bytes = static_cast<const uint8_t*>(data);
  std::vector<uint8_t> ownBytes;
  const uint8_t* begin = chunk.Data();
  const std::less<const uint8_t*> before;
  if (begin && !before(bytes, begin) && before(bytes, begin + chunk.Size())) {
    const VstIntPtr available = begin + chunk.Size() - bytes;
    ownBytes.assign(bytes, bytes + std::min(size, available));
    bytes = ownBytes.data();
    size = static_cast<VstIntPtr>(ownBytes.size());
  }
  if (!chunk.Resize(static_cast<int>(size))) return 0;
  if (size > 0) std::memcpy(chunk.Data(), bytes, static_cast<size_t>(size));

  int32_t version = 0;
  const int position = ReadChunkHeader(chunk, &version);

  int result;
  if (bank && version >= kChunkFormatVersion) {
    result = IEffectBase::UnserializePresets(chunk, position);
  } else {
    result = LoadState(chunk, position);
    // A chunk that did not load changed nothing, the current slot included.
    if (result >= 0) ModifyCurrentPreset(nullptr);
  }
  if (result < 0) return 0;
  editedSinceLoad_ = false;
  RefreshParameterControls();
  return 1;
}

VstIntPtr IVstBinding::StringToParameter(int index, const char* text) {
  IParameter* parameter = Parameter(index);
  if (!parameter) return 0;
  if (!text) return 1;
  double value;
  if (parameter->ValueTextCount() > 0) {
    // Host texts can be longer than a value text; the copy keeps the
    // comparison inside a bounded buffer.
    char bounded[IParameter::kTextSize + 1];
    std::memset(bounded, 0, sizeof bounded);
    std::strncpy(bounded, text, sizeof bounded - 1);
    int found = 0;
    if (!parameter->FindValueText(bounded, &found)) return 0;
    value = found;
  } else {
    value = ParseDecimal(text, 64);
  }
  Parameters().SetClamped(index, value);
  editedSinceLoad_ = true;
  return 1;
}
