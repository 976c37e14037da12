#pragma once
// Brume's VST3 state: the bytes of the VST 2.4 program chunk (the chunk
// header, then every parameter value as a float64), so that a state moves
// between the two formats unchanged. Streams come from hosts and project
// files: reads are bounded and a state is checked whole before any value
// changes.
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

bool WriteProgramState(const PresetBank& bank, IStateChunk& chunk);
// The program chunk's checks, as the VST 2.4 plug-in makes them: the header
// is skipped when present, the values must all be there and finite. False,
// changing nothing, otherwise.
bool ReadProgramState(PresetBank& bank, const IStateChunk& chunk);

// Both in one: the stream's state into the bank's store.
bool LoadState(vst3::IBStream* stream, PresetBank& bank);
bool SaveState(vst3::IBStream* stream, const PresetBank& bank);

}  // namespace brume_vst3
