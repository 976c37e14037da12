#pragma once
// Brume's VST3 state: the bytes of the VST 2.4 program chunk (the chunk
// header, then every parameter value as a float64), so that a state moves
// between the two formats unchanged, then one field the VST 2.4 reader
// never looks at: the tag kBypassTag and the bypass switch as an int32 (0
// or 1). States saved before the field existed load with bypass off.
// Streams come from hosts and project files: reads are bounded and a state
// is checked whole before any value changes.
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

constexpr int32_t kBypassTag = 0x73707942;  // "Byps" in the stream

bool WriteProgramState(const PresetBank& bank, bool bypassed, IStateChunk& chunk);
// The program chunk's checks, as the VST 2.4 plug-in makes them: the header
// is skipped when present, the values must all be there and finite. False,
// changing nothing, otherwise. *bypassed is the bypass field, off when the
// state has none (or one that is not Brume's).
bool ReadProgramState(PresetBank& bank, const IStateChunk& chunk, bool* bypassed);

// Both in one: the stream's state into the bank's store and *bypassed.
bool LoadState(vst3::IBStream* stream, PresetBank& bank, bool* bypassed);
bool SaveState(vst3::IBStream* stream, const PresetBank& bank, bool bypassed);

}  // namespace brume_vst3
