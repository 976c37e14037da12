// The bundle's library as a host sees it: entry points, factory, classes,
// identifiers in the platform's byte order, interfaces, buses, parameters
// and their texts against the VST 2.4 plug-in, and reference counts.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "effect/DefineParameters.h"
#include "effect/FactoryPresets.h"
#include "effect/Kestrel.h"
#include "tests/vst3/Vst3Host.h"

namespace {

using namespace vst3_host;

std::string Hex(const char* bytes) {
  std::string out;
  char digit[3];
  for (int i = 0; i < 16; ++i) {
    std::snprintf(digit, sizeof digit, "%02X", static_cast<unsigned char>(bytes[i]));
    out += digit;
  }
  return out;
}

// The published bytes of a few identifiers, as each platform stores them.
struct IidRow {
  const Uid* iid;
  const char* windows;
  const char* posix;
};
const IidRow kIids[] = {
    {&IComponent::iid, "31FF31E8D5F20143928EBBEE25697802", "E831FF31F2D54301928EBBEE25697802"},
    {&IAudioProcessor::iid, "993F0442DAB73C45A569E79D9AAEC33D", "42043F99B7DA453CA569E79D9AAEC33D"},
    {&IEditController::iid, "E3BBD7DC42778D44A874AACC979C759E", "DCD7BBE37742448DA874AACC979C759E"},
    {&IPluginFactory3::iid, "ABA2554523C1574E9B12291036878931", "4555A2ABC1234E579B12291036878931"},
    {&IMidiMapping::iid, "F7F90FDFB7496946B63AB7327ADBF5E5", "DF0FF9F749B74669B63AB7327ADBF5E5"},
    {&FUnknown::iid, "0000000000000000C000000000000046", "0000000000000000C000000000000046"},
};

// The class ID's string form (l1 l2 l3 l4 in hex), the same on every
// platform, decoded from the bytes the factory reports.
std::string ClassIdString(const char* cid) {
  const std::string hex = Hex(cid);
#ifdef _WIN32
  auto swap = [&](int from, int bytes) {
    std::string out;
    for (int b = bytes - 1; b >= 0; --b) out += hex.substr(static_cast<size_t>(2 * (from + b)), 2);
    return out;
  };
  return swap(0, 4) + swap(4, 2) + swap(6, 2) + hex.substr(16);
#else
  return hex;
#endif
}

TEST(Vst3Module, IdentifiersUseThePlatformsByteOrder) {
  for (const IidRow& row : kIids) {
#ifdef _WIN32
    EXPECT_EQ(Hex(row.iid->bytes), row.windows);
#else
    EXPECT_EQ(Hex(row.iid->bytes), row.posix);
#endif
  }
}

TEST(Vst3Module, FactoryListsTheProcessorAndItsControllerByVendorAndName) {
  Module module(BRUME_VST3_PATH);
  ASSERT_TRUE(module.Loaded());
  IPluginFactory* factory = module.Factory();
  PFactoryInfo info;
  ASSERT_EQ(factory->getFactoryInfo(&info), kResultOk);
  EXPECT_STREQ(info.vendor, "Orvendale");
  EXPECT_EQ(info.flags & PFactoryInfo::kUnicode, PFactoryInfo::kUnicode);
  auto* factory3 = Query<IPluginFactory3>(factory);
  ASSERT_NE(factory3, nullptr);
  ASSERT_EQ(factory->countClasses(), 2);
  const char* categories[] = {"Audio Module Class", "Component Controller Class"};
  const char* ids[] = {"A45DFD696A03BE2FE20D397DEC1BD18C", "55D7B54B488DDA491A07B4513DB7107A"};
  for (int32 i = 0; i < 2; ++i) {
    PClassInfo2 c;
    ASSERT_EQ(factory3->getClassInfo2(i, &c), kResultOk);
    EXPECT_STREQ(c.category, categories[i]);
    EXPECT_STREQ(c.name, "Brume");
    EXPECT_STREQ(c.vendor, "Orvendale");
    EXPECT_STREQ(c.subCategories, "Fx");
    EXPECT_EQ(ClassIdString(c.cid), ids[i]);
    PClassInfoW w;
    ASSERT_EQ(factory3->getClassInfoUnicode(i, &w), kResultOk);
    EXPECT_EQ(HostText(w.name), "Brume");
    EXPECT_EQ(std::memcmp(w.cid, c.cid, 16), 0);
  }
  EXPECT_NE(factory3->getClassInfo2(2, nullptr), kResultOk);
  void* object = nullptr;
  const char unknown[16] = {1, 2, 3};
  EXPECT_NE(factory->createInstance(unknown, IComponent::iid.bytes, &object), kResultOk);
  EXPECT_EQ(object, nullptr);
  EXPECT_EQ(factory3->release(), 1u);
}

TEST(Vst3Module, ObjectsAnswerTheirInterfacesAndEveryReferenceIsReturned) {
  uint32 counts[3];
  {
    Module module(BRUME_VST3_PATH);
    ASSERT_TRUE(module.Loaded());
    {
      Instance plugin(module.Factory());
      ASSERT_TRUE(plugin.Valid());
      struct Expect {
        FUnknown* object;
        const Uid* iid;
        bool answered;
      };
      FUnknown* component = plugin.component;
      FUnknown* controller = plugin.controller;
      const Expect table[] = {
          {component, &FUnknown::iid, true},
          {component, &IPluginBase::iid, true},
          {component, &IComponent::iid, true},
          {component, &IAudioProcessor::iid, true},
          {component, &IProcessContextRequirements::iid, true},
          {component, &IEditController::iid, false},
          {component, &Unimplemented::kConnectionPoint, false},
          {component, &Unimplemented::kAudioPresentationLatency, false},
          {component, &Unimplemented::kProgramListData, false},
          {component, &IUnitInfo::iid, false},
          {controller, &IEditController::iid, true},
          {controller, &IMidiMapping::iid, true},
          {controller, &IUnitInfo::iid, true},
          {controller, &IComponent::iid, false},
          {controller, &Unimplemented::kEditController2, false},
          {controller, &Unimplemented::kMidiLearn, false},
          {controller, &Unimplemented::kConnectionPoint, false},
          {controller, &Unimplemented::kUnitData, false},
          {controller, &IPlugView::iid, false},
      };
      for (const Expect& e : table) {
        void* out = reinterpret_cast<void*>(1);
        const tresult result = e.object->queryInterface(e.iid->bytes, &out);
        EXPECT_EQ(result == kResultOk, e.answered) << Hex(e.iid->bytes);
        if (result != kResultOk) {
          EXPECT_EQ(out, nullptr);
          continue;
        }
        // The pointer is the interface's own: its addRef is the object's.
        auto* unknown = static_cast<FUnknown*>(out);
        EXPECT_EQ(unknown->release() + 1, unknown->addRef());
        unknown->release();
      }
    }
    std::copy(Instance::finalCounts, Instance::finalCounts + 3, counts);
  }
  EXPECT_EQ(Module::lastFactoryCount, 0u);
  // The processor interface is a second reference to the component, which
  // its last release frees.
  EXPECT_EQ(counts[1], 1u);
  EXPECT_EQ(counts[0], 0u);
  EXPECT_EQ(counts[2], 0u);
}

TEST(Vst3Module, ProcessorHasOneStereoBusEachWayAndANoteInput) {
  Module module(BRUME_VST3_PATH);
  Instance plugin(module.Factory());
  ASSERT_TRUE(plugin.Valid());
  EXPECT_EQ(plugin.component->getBusCount(kAudio, kInput), 1);
  EXPECT_EQ(plugin.component->getBusCount(kAudio, kOutput), 1);
  EXPECT_EQ(plugin.component->getBusCount(kEvent, kInput), 1);
  EXPECT_EQ(plugin.component->getBusCount(kEvent, kOutput), 0);
  BusInfo bus;
  ASSERT_EQ(plugin.component->getBusInfo(kAudio, kOutput, 0, bus), kResultOk);
  EXPECT_EQ(bus.channelCount, 2);
  EXPECT_EQ(bus.busType, kMain);
  EXPECT_NE(plugin.component->getBusInfo(kAudio, kOutput, 1, bus), kResultOk);
  SpeakerArrangement mono = 0x80000, stereo = kStereo;
  EXPECT_EQ(plugin.processor->setBusArrangements(&mono, 1, &mono, 1), kResultFalse);
  EXPECT_EQ(plugin.processor->setBusArrangements(&stereo, 1, &stereo, 1), kResultTrue);
  EXPECT_EQ(plugin.processor->canProcessSampleSize(kSample32), kResultTrue);
  EXPECT_EQ(plugin.processor->canProcessSampleSize(kSample64), kResultTrue);
  auto* requirements = Query<IProcessContextRequirements>(plugin.component);
  ASSERT_NE(requirements, nullptr);
  EXPECT_TRUE(requirements->getProcessContextRequirements() & IProcessContextRequirements::kNeedTempo);
  requirements->release();
}

VstIntPtr SilentHost(AEffect*, VstInt32, VstInt32, VstIntPtr, void*, float) { return 0; }

// Every parameter: name, unit, steps and display texts as the VST 2.4
// plug-in gives them for the same normalised value, and text entry read back.
TEST(Vst3Module, ParametersShowAndReadTextsAsTheVst24PluginDoes) {
  Module module(BRUME_VST3_PATH);
  Instance plugin(module.Factory());
  ASSERT_TRUE(plugin.Valid());
  Kestrel effect(&SilentHost, nullptr);
  AEffect* e = effect.Effect();
  IEditController* c = plugin.controller;
  ASSERT_EQ(c->getParameterCount(), kParameterCount + 3);
  int bypass = 0, programs = 0;
  for (int32 i = 0; i < c->getParameterCount(); ++i) {
    ParameterInfo info;
    ASSERT_EQ(c->getParameterInfo(i, info), kResultOk);
    if (info.flags & ParameterInfo::kIsBypass) ++bypass;
    if (info.flags & ParameterInfo::kIsProgramChange) {
      ++programs;
      EXPECT_EQ(info.stepCount, kFactoryPresetCount - 1);
    }
    // NaN, which a host may send, reads as the lowest value.
    String128 nanText = {};
    EXPECT_EQ(c->getParamStringByValue(info.id, std::nan(""), nanText), kResultOk) << i;
    EXPECT_TRUE(std::isfinite(c->normalizedParamToPlain(info.id, std::nan("")))) << i;
    EXPECT_EQ(c->plainParamToNormalized(info.id, std::nan("")), 0.0) << i;
    if (i >= kParameterCount) continue;
    ASSERT_EQ(info.id, static_cast<ParamID>(i));
    char name[64] = {}, label[64] = {}, display[64] = {};
    e->dispatcher(e, effGetParamName, i, 0, name, 0.0f);
    e->dispatcher(e, effGetParamLabel, i, 0, label, 0.0f);
    EXPECT_EQ(HostText(info.title), name);
    EXPECT_EQ(HostText(info.units), label);
    EXPECT_FLOAT_EQ(static_cast<float>(info.defaultNormalizedValue), e->getParameter(e, i));
    const IParameter& parameter = *effect.Parameter(i);
    const int steps = parameter.Kind() == IParameter::kDouble ? 0 : static_cast<int>(parameter.Maximum() - parameter.Minimum());
    EXPECT_EQ(info.stepCount, steps) << name;
    EXPECT_EQ((info.flags & ParameterInfo::kIsList) != 0, parameter.Kind() == IParameter::kEnum) << name;
    for (float n : {0.0f, 0.07f, 0.25f, 0.5f, 0.61f, 0.999f, 1.0f}) {
      e->setParameter(e, i, n);
      e->dispatcher(e, effGetParamDisplay, i, 0, display, 0.0f);
      String128 text = {};
      ASSERT_EQ(c->getParamStringByValue(info.id, n, text), kResultOk);
      ASSERT_EQ(HostText(text), display) << name << " at " << n;
      // The text typed back in: the same value in both plug-ins.
      ParamValue typed = -1.0;
      ASSERT_EQ(c->getParamValueByString(info.id, text, typed), kResultOk) << display;
      ASSERT_EQ(e->dispatcher(e, effString2Parameter, i, 0, display, 0.0f), 1);
      EXPECT_EQ(static_cast<float>(typed), e->getParameter(e, i)) << name << " " << display;
      EXPECT_EQ(c->normalizedParamToPlain(info.id, n), parameter.ValueOfNormalised(n));
    }
  }
  EXPECT_EQ(bypass, 1);
  EXPECT_EQ(programs, 1);
  String128 junk = {u'x', u'y', 0};
  ParamValue value;
  EXPECT_NE(c->getParamValueByString(kAudioIn1, junk, value), kResultOk);
  ParameterInfo past;
  EXPECT_NE(c->getParameterInfo(kParameterCount + 3, past), kResultOk);
}

TEST(Vst3Module, FactoryProgramsAreAProgramListAndTheModWheelIsMapped) {
  Module module(BRUME_VST3_PATH);
  Instance plugin(module.Factory());
  auto* units = Query<IUnitInfo>(plugin.controller);
  auto* midi = Query<IMidiMapping>(plugin.controller);
  ASSERT_TRUE(units && midi);
  UnitInfo unit;
  ProgramListInfo list;
  ASSERT_EQ(units->getUnitInfo(0, unit), kResultOk);
  ASSERT_EQ(units->getProgramListInfo(0, list), kResultOk);
  EXPECT_EQ(unit.programListId, list.id);
  ASSERT_EQ(list.programCount, kFactoryPresetCount);
  for (int p = 0; p < kFactoryPresetCount; ++p) {
    String128 name;
    ASSERT_EQ(units->getProgramName(list.id, p, name), kResultOk);
    EXPECT_EQ(HostText(name), FactoryPresetAt(p).name);
  }
  ParamID id = 0;
  ASSERT_EQ(midi->getMidiControllerAssignment(0, 0, 1, id), kResultTrue);
  EXPECT_EQ(id, brume_vst3::kModWheelId);
  EXPECT_EQ(midi->getMidiControllerAssignment(0, 0, 7, id), kResultFalse);

  // Selecting a program loads its values on both sides; the processor
  // reports them to the host as output changes at the program's offset.
  const int program = 5;
  double values[kParameterCount];
  FactoryPresetValues(program, values);
  ASSERT_EQ(plugin.controller->setParamNormalized(brume_vst3::kProgramId, program / 19.0), kResultOk);
  ASSERT_TRUE(plugin.Setup(48000.0, 64));
  ParameterChanges in, out;
  in.Add(brume_vst3::kProgramId, 17, program / 19.0);
  std::vector<float> audio(64);
  float* io[] = {audio.data(), audio.data()};
  plugin.Process(io, io, 64, &in, nullptr, nullptr, &out);
  ASSERT_EQ(out.getParameterCount(), kParameterCount);
  IParameterStore definitions(kParameterCount);
  DefineParameters(definitions);
  for (int i = 0; i < kParameterCount; ++i) {
    const double normalised = definitions.Parameter(i)->NormalisedOf(values[i]);
    EXPECT_EQ(plugin.controller->getParamNormalized(i), normalised) << i;
    IParamValueQueue* queue = out.getParameterData(i);
    int32 offset = 0;
    ParamValue reported = -1.0;
    ASSERT_TRUE(queue && queue->getParameterId() == static_cast<ParamID>(i) && queue->getPoint(0, offset, reported) == kResultOk);
    EXPECT_EQ(offset, 17);
    EXPECT_EQ(reported, normalised) << i;
  }
  units->release();
  midi->release();
}

}  // namespace
