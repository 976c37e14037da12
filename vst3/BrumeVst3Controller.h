#pragma once
// Brume's VST3 edit controller: the parameter list and its texts, the
// values as the host and the editor see them (following the processor's
// state through setComponentState), the factory programs as a program list
// with a program-change parameter, and the mod wheel's MIDI mapping.
//
// Threads: the host's UI thread, except the conversions and the MIDI
// mapping, which hosts also call from the audio thread; those only read
// parameter definitions.
#include "framework/IParameterStore.h"
#include "framework/PresetBank.h"
#include "vst3/Vst3Abi.h"
#include "vst3/Vst3Object.h"

namespace brume_vst3 {

class BrumeVst3Controller final : public vst3::IEditController,
                                  public vst3::IMidiMapping,
                                  public vst3::IUnitInfo,
                                  public RefCounted {
 public:
  BrumeVst3Controller();
  ~BrumeVst3Controller() override;

  BRUME_VST3_UNKNOWN_METHODS

  // IPluginBase
  vst3::tresult VST3_API initialize(vst3::FUnknown* context) override;
  vst3::tresult VST3_API terminate() override;
  // IEditController
  vst3::tresult VST3_API setComponentState(vst3::IBStream* state) override;
  vst3::tresult VST3_API setState(vst3::IBStream* state) override;
  vst3::tresult VST3_API getState(vst3::IBStream* state) override;
  vst3::int32 VST3_API getParameterCount() override;
  vst3::tresult VST3_API getParameterInfo(vst3::int32 paramIndex, vst3::ParameterInfo& info) override;
  vst3::tresult VST3_API getParamStringByValue(vst3::ParamID id, vst3::ParamValue valueNormalized,
                                               vst3::String128 string) override;
  vst3::tresult VST3_API getParamValueByString(vst3::ParamID id, vst3::TChar* string,
                                               vst3::ParamValue& valueNormalized) override;
  vst3::ParamValue VST3_API normalizedParamToPlain(vst3::ParamID id, vst3::ParamValue valueNormalized) override;
  vst3::ParamValue VST3_API plainParamToNormalized(vst3::ParamID id, vst3::ParamValue plainValue) override;
  vst3::ParamValue VST3_API getParamNormalized(vst3::ParamID id) override;
  vst3::tresult VST3_API setParamNormalized(vst3::ParamID id, vst3::ParamValue value) override;
  vst3::tresult VST3_API setComponentHandler(vst3::IComponentHandler* handler) override;
  vst3::IPlugView* VST3_API createView(vst3::FIDString name) override;
  // IMidiMapping
  vst3::tresult VST3_API getMidiControllerAssignment(vst3::int32 busIndex, vst3::int16 channel,
                                                     vst3::CtrlNumber midiControllerNumber,
                                                     vst3::ParamID& id) override;
  // IUnitInfo
  vst3::int32 VST3_API getUnitCount() override;
  vst3::tresult VST3_API getUnitInfo(vst3::int32 unitIndex, vst3::UnitInfo& info) override;
  vst3::int32 VST3_API getProgramListCount() override;
  vst3::tresult VST3_API getProgramListInfo(vst3::int32 listIndex, vst3::ProgramListInfo& info) override;
  vst3::tresult VST3_API getProgramName(vst3::ProgramListID listId, vst3::int32 programIndex,
                                        vst3::String128 name) override;
  vst3::tresult VST3_API getProgramInfo(vst3::ProgramListID listId, vst3::int32 programIndex,
                                        vst3::CString attributeId, vst3::String128 attributeValue) override;
  vst3::tresult VST3_API hasProgramPitchNames(vst3::ProgramListID listId, vst3::int32 programIndex) override;
  vst3::tresult VST3_API getProgramPitchName(vst3::ProgramListID listId, vst3::int32 programIndex,
                                             vst3::int16 midiPitch, vst3::String128 name) override;
  vst3::UnitID VST3_API getSelectedUnit() override;
  vst3::tresult VST3_API selectUnit(vst3::UnitID unitId) override;
  vst3::tresult VST3_API getUnitByBus(vst3::MediaType type, vst3::BusDirection dir, vst3::int32 busIndex,
                                      vst3::int32 channel, vst3::UnitID& unitId) override;
  vst3::tresult VST3_API setUnitProgramData(vst3::int32 listOrUnitId, vst3::int32 programIndex,
                                            vst3::IBStream* data) override;

  // The editor's view of the controller: the values it shows, the host it
  // tells of edits (null before the host sets one).
  IParameterStore& Parameters() { return parameters_; }
  vst3::IComponentHandler* Handler() const { return handler_; }

 private:
  bool Query(const vst3::TUID iid, void** obj);

  IParameterStore parameters_;
  PresetBank bank_;  // no slots: its program chunk reader only
  vst3::IComponentHandler* handler_ = nullptr;
  double bypass_ = 0.0;
  double program_ = 0.0;
  double modWheel_ = 0.0;
};

}  // namespace brume_vst3
