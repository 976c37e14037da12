#include "vst3/BrumeVst3Controller.h"

#include <cstring>
#include <new>

#include "effect/DefineParameters.h"
#include "effect/FactoryPresets.h"
#include "effect/ParameterIds.h"
#include "vst3/BrumeVst3Ids.h"
#include "vst3/Vst3Parameters.h"
#include "vst3/Vst3State.h"
#include "vst3/Vst3Text.h"
#include "vst3/BrumeVst3View.h"

namespace brume_vst3 {

using namespace vst3;

BrumeVst3Controller::BrumeVst3Controller() : parameters_(kParameterCount), bank_(parameters_, 0) {
  DefineParameters(parameters_);
}

BrumeVst3Controller::~BrumeVst3Controller() { setComponentHandler(nullptr); }

bool BrumeVst3Controller::Query(const TUID iid, void** obj) {
  return Offer<FUnknown, IEditController>(this, iid, obj) || Offer<IPluginBase, IEditController>(this, iid, obj) ||
         Offer<IEditController>(this, iid, obj) || Offer<IMidiMapping>(this, iid, obj) ||
         Offer<IUnitInfo>(this, iid, obj);
}

tresult BrumeVst3Controller::initialize(FUnknown*) { return kResultOk; }

tresult BrumeVst3Controller::terminate() {
  setComponentHandler(nullptr);
  return kResultOk;
}

// The processor's state is the only record of the values and the bypass.
tresult BrumeVst3Controller::setComponentState(IBStream* state) {
  bool bypassed = false;
  if (!LoadState(state, bank_, &bypassed)) return kResultFalse;
  bypass_ = bypassed ? 1.0 : 0.0;
  return kResultOk;
}
tresult BrumeVst3Controller::setState(IBStream*) { return kResultOk; }
tresult BrumeVst3Controller::getState(IBStream*) { return kResultOk; }

int32 BrumeVst3Controller::getParameterCount() { return kControllerParameterCount; }

tresult BrumeVst3Controller::getParameterInfo(int32 index, ParameterInfo& info) {
  return Describe(parameters_, index, info) ? kResultOk : kInvalidArgument;
}

tresult BrumeVst3Controller::getParamStringByValue(ParamID id, ParamValue value, String128 string) {
  char text[IParameter::kTextSize];
  if (!string || !DisplayText(parameters_, id, value, text)) return kInvalidArgument;
  ToUtf16(text, string, 128);
  return kResultOk;
}

tresult BrumeVst3Controller::getParamValueByString(ParamID id, TChar* string, ParamValue& value) {
  char text[64];
  FromUtf16(string, 128, text, sizeof text);
  return string && ParseText(parameters_, id, text, &value) ? kResultOk : kResultFalse;
}

ParamValue BrumeVst3Controller::normalizedParamToPlain(ParamID id, ParamValue value) {
  return ToPlain(parameters_, id, value);
}

ParamValue BrumeVst3Controller::plainParamToNormalized(ParamID id, ParamValue plain) {
  return ToNormalised(parameters_, id, plain);
}

ParamValue BrumeVst3Controller::getParamNormalized(ParamID id) {
  if (id < static_cast<ParamID>(kParameterCount)) return parameters_.Parameter(static_cast<int>(id))->Normalised();
  if (id == kBypassId) return bypass_;
  if (id == kProgramId) return program_;
  if (id == kModWheelId) return modWheel_;
  return 0.0;
}

tresult BrumeVst3Controller::setParamNormalized(ParamID id, ParamValue value) {
  if (value != value) return kInvalidArgument;
  value = value < 0.0 ? 0.0 : value > 1.0 ? 1.0 : value;
  if (id < static_cast<ParamID>(kParameterCount)) {
    parameters_.SetFromNormalised(static_cast<int>(id), value);
  } else if (id == kBypassId) {
    bypass_ = value;
  } else if (id == kModWheelId) {
    modWheel_ = value;
  } else if (id == kProgramId) {
    // The processor loads the same program from the same change and
    // reports its values as output changes. No restartComponent from here:
    // Ardour 7.3 calls this holding the lock its restart handler takes.
    program_ = value;
    double values[kParameterCount];
    FactoryProgram(parameters_, StepIndex(value, kFactoryPresetCount - 1), values);
    parameters_.SetAll(values);
  } else {
    return kInvalidArgument;
  }
  return kResultOk;
}

tresult BrumeVst3Controller::setComponentHandler(IComponentHandler* handler) {
  if (handler == handler_) return kResultOk;
  if (handler) handler->addRef();
  if (handler_) handler_->release();
  handler_ = handler;
  return kResultOk;
}

IPlugView* BrumeVst3Controller::createView(FIDString name) {
  if (!name || std::strcmp(name, kEditorViewType) != 0) return nullptr;
  return new (std::nothrow) BrumeVst3View(this);
}

tresult BrumeVst3Controller::getMidiControllerAssignment(int32 busIndex, int16, CtrlNumber number, ParamID& id) {
  if (busIndex != 0 || number != kMidiModWheel) return kResultFalse;
  id = kModWheelId;
  return kResultTrue;
}

// One unit, the root, whose program list is the factory programs.
int32 BrumeVst3Controller::getUnitCount() { return 1; }

tresult BrumeVst3Controller::getUnitInfo(int32 index, UnitInfo& info) {
  if (index != 0) return kInvalidArgument;
  std::memset(&info, 0, sizeof info);
  info.id = kRootUnitId;
  info.parentUnitId = kNoParentUnitId;
  ToUtf16("Brume", info.name, 128);
  info.programListId = kFactoryListId;
  return kResultOk;
}

int32 BrumeVst3Controller::getProgramListCount() { return 1; }

tresult BrumeVst3Controller::getProgramListInfo(int32 index, ProgramListInfo& info) {
  if (index != 0) return kInvalidArgument;
  std::memset(&info, 0, sizeof info);
  info.id = kFactoryListId;
  ToUtf16("Factory Programs", info.name, 128);
  info.programCount = kFactoryPresetCount;
  return kResultOk;
}

tresult BrumeVst3Controller::getProgramName(ProgramListID list, int32 index, String128 name) {
  if (list != kFactoryListId || index < 0 || index >= kFactoryPresetCount || !name) return kInvalidArgument;
  ToUtf16(FactoryPresetAt(index).name, name, 128);
  return kResultOk;
}

tresult BrumeVst3Controller::getProgramInfo(ProgramListID, int32, CString, String128) { return kResultFalse; }
tresult BrumeVst3Controller::hasProgramPitchNames(ProgramListID, int32) { return kResultFalse; }
tresult BrumeVst3Controller::getProgramPitchName(ProgramListID, int32, int16, String128) { return kResultFalse; }
UnitID BrumeVst3Controller::getSelectedUnit() { return kRootUnitId; }
tresult BrumeVst3Controller::selectUnit(UnitID unit) { return unit == kRootUnitId ? kResultOk : kResultFalse; }

tresult BrumeVst3Controller::getUnitByBus(MediaType, BusDirection, int32, int32, UnitID& unit) {
  unit = kRootUnitId;
  return kResultOk;
}

tresult BrumeVst3Controller::setUnitProgramData(int32, int32, IBStream*) { return kNotImplemented; }

}  // namespace brume_vst3
