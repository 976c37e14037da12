#pragma once
// What hosts store in their projects and presets about Brume's VST3
// version: the class identifiers, the parameter IDs and the names. None of
// these may ever change.
#include "effect/ParameterIds.h"
#include "vst3/Vst3Abi.h"

namespace brume_vst3 {

// Generated once. Hosts save projects and presets under the processor's ID
// (as the 32 hex digits of the four numbers, on every platform).
constexpr vst3::uint32 kProcessorUid[4] = {0xA45DFD69, 0x6A03BE2F, 0xE20D397D, 0xEC1BD18C};
constexpr vst3::uint32 kControllerUid[4] = {0x55D7B54B, 0x488DDA49, 0x1A07B451, 0x3DB7107A};
constexpr vst3::Uid kProcessorCid = vst3::MakeUid(kProcessorUid[0], kProcessorUid[1], kProcessorUid[2], kProcessorUid[3]);
constexpr vst3::Uid kControllerCid =
    vst3::MakeUid(kControllerUid[0], kControllerUid[1], kControllerUid[2], kControllerUid[3]);

// Parameters 0..105 carry the effect's parameter index as their ID; the
// three parameters of the VST3 binding itself sit apart from them.
constexpr vst3::ParamID kBypassId = 1000;
constexpr vst3::ParamID kProgramId = 1001;  // selects a factory program
constexpr vst3::ParamID kModWheelId = 1002;  // MIDI controller 1, mapped by the host
constexpr int kBindingParameters = 3;
constexpr int kControllerParameterCount = kParameterCount + kBindingParameters;

constexpr vst3::ProgramListID kFactoryListId = 1;
constexpr int kMidiModWheel = 1;

constexpr const char* kName = "Brume";
constexpr const char* kVendor = "Orvendale";
constexpr const char* kVersion = "1.0.0";
constexpr const char* kSdkVersion = "VST 3.7.14";
constexpr const char* kSubCategories = "Fx";

}  // namespace brume_vst3
