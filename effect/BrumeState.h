#pragma once
#include <cstdint>

#include "framework/IStateChunk.h"
#include "framework/PresetBank.h"

// Brume's state as the VST3 and CLAP plug-ins save it: the bytes of the
// VST 2.4 program chunk (the chunk header, then every parameter value as a
// float64), so that a state moves between the formats unchanged, then one
// field the VST 2.4 reader never looks at: the tag kBypassTag and the
// bypass switch as an int32 (0 or 1). States without the field load with
// bypass off. A state is checked whole before any value changes.
constexpr int32_t kBypassTag = 0x73707942;  // "Byps" in the stream

bool WriteBrumeState(const PresetBank& bank, bool bypassed, IStateChunk& chunk);
// The program chunk's checks, as the VST 2.4 plug-in makes them: the header
// is skipped when present, the values must all be there and finite. False,
// changing nothing, otherwise. *bypassed is the bypass field, off when the
// state has none (or one that is not Brume's).
bool ReadBrumeState(PresetBank& bank, const IStateChunk& chunk, bool* bypassed);
