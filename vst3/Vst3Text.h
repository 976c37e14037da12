#pragma once
// Text between Brume's 8-bit strings (Windows-1252, or UTF-8 where a text
// came in so; framework/TextCodePage.h decides) and VST3's UTF-16 ones.
#include "vst3/Vst3Abi.h"

namespace brume_vst3 {

// Always terminated, cut to `capacity` units including the terminator
// (never inside a surrogate pair).
void ToUtf16(const char* text, vst3::char16* out, int capacity);
// Host text read up to its terminator or `capacity` units, as
// Windows-1252; characters it lacks become '?'. `out` holds `outCapacity`
// bytes, terminated.
void FromUtf16(const vst3::char16* text, int capacity, char* out, int outCapacity);

}  // namespace brume_vst3
