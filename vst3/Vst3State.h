#pragma once
// Brume's VST3 state is Brume's state (effect/BrumeState.h) in a host
// stream. Streams come from hosts and project files: reads are bounded.
#include "effect/BrumeState.h"
#include "framework/IStateChunk.h"
#include "framework/PresetBank.h"
#include "vst3/Vst3Abi.h"

namespace brume_vst3 {

// Far above one program (856 bytes); anything longer is not Brume's.
constexpr int kMaxStateBytes = 1 << 16;

// The rest of the stream from its position on; false when reading fails or
// the stream holds more than kMaxStateBytes.
bool ReadStream(vst3::IBStream* stream, IStateChunk& chunk);
bool WriteStream(vst3::IBStream* stream, const IStateChunk& chunk);

// Both in one: the stream's state into the bank's store and *bypassed.
bool LoadState(vst3::IBStream* stream, PresetBank& bank, bool* bypassed);
bool SaveState(vst3::IBStream* stream, const PresetBank& bank, bool bypassed);

}  // namespace brume_vst3
