#pragma once
// The VST3 binary interface as Brume and its test hosts use it: our own
// declarations of the interfaces, structures and constants, written from
// their published binary layout (vtable slot order, struct offsets,
// identifier bytes). Only what Brume implements or calls is declared.
//
// Rules the layout depends on:
// - Interfaces hold pure virtual methods only: no data, no virtual
//   destructor (it would add vtable slots), no overloads (MSVC groups them).
// - Slots follow declaration order, base interface first.
// - Identifiers are four 32-bit numbers; their 16 bytes in memory follow the
//   COM GUID layout on Windows and plain big-endian order elsewhere.
#include <cstddef>
#include <cstdint>
#include <cstring>

#ifdef _WIN32
#define VST3_API __stdcall
#else
#define VST3_API
#endif

namespace vst3 {

using int8 = char;
using uint8 = uint8_t;
using int16 = int16_t;
using uint16 = uint16_t;
using int32 = int32_t;
using uint32 = uint32_t;
using int64 = int64_t;
using uint64 = uint64_t;
using tresult = int32;
using TBool = uint8;
using char8 = char;
using char16 = char16_t;
using TChar = char16;
using String128 = TChar[128];
using FIDString = const char8*;
using CString = const char8*;
using TUID = char[16];
using ParamID = uint32;
using ParamValue = double;
using SampleRate = double;
using TSamples = int64;
using SpeakerArrangement = uint64;
using MediaType = int32;
using BusDirection = int32;
using BusType = int32;
using IoMode = int32;
using UnitID = int32;
using ProgramListID = int32;
using KnobMode = int32;
using CtrlNumber = int16;

// ---- Result codes (COM values on Windows) ----------------------------------
#ifdef _WIN32
constexpr tresult kResultOk = 0;
constexpr tresult kResultTrue = 0;
constexpr tresult kResultFalse = 1;
constexpr tresult kNoInterface = static_cast<tresult>(0x80004002u);
constexpr tresult kInvalidArgument = static_cast<tresult>(0x80070057u);
constexpr tresult kNotImplemented = static_cast<tresult>(0x80004001u);
constexpr tresult kInternalError = static_cast<tresult>(0x80004005u);
constexpr tresult kNotInitialized = static_cast<tresult>(0x8000FFFFu);
constexpr tresult kOutOfMemory = static_cast<tresult>(0x8007000Eu);
#else
constexpr tresult kResultOk = 0;
constexpr tresult kResultTrue = 0;
constexpr tresult kResultFalse = 1;
constexpr tresult kNoInterface = -1;
constexpr tresult kInvalidArgument = 2;
constexpr tresult kNotImplemented = 3;
constexpr tresult kInternalError = 4;
constexpr tresult kNotInitialized = 5;
constexpr tresult kOutOfMemory = 6;
#endif

// ---- 16-byte identifiers -----------------------------------------------------
struct Uid {
  char bytes[16];
  bool Is(const void* other) const { return other && std::memcmp(bytes, other, 16) == 0; }
};

constexpr char Byte(uint32 v, int shift) { return static_cast<char>((v >> shift) & 0xFFu); }

// The four numbers as the platform stores them.
constexpr Uid MakeUid(uint32 l1, uint32 l2, uint32 l3, uint32 l4) {
#ifdef _WIN32
  return Uid{{Byte(l1, 0), Byte(l1, 8), Byte(l1, 16), Byte(l1, 24), Byte(l2, 16), Byte(l2, 24), Byte(l2, 0),
              Byte(l2, 8), Byte(l3, 24), Byte(l3, 16), Byte(l3, 8), Byte(l3, 0), Byte(l4, 24), Byte(l4, 16),
              Byte(l4, 8), Byte(l4, 0)}};
#else
  return Uid{{Byte(l1, 24), Byte(l1, 16), Byte(l1, 8), Byte(l1, 0), Byte(l2, 24), Byte(l2, 16), Byte(l2, 8),
              Byte(l2, 0), Byte(l3, 24), Byte(l3, 16), Byte(l3, 8), Byte(l3, 0), Byte(l4, 24), Byte(l4, 16),
              Byte(l4, 8), Byte(l4, 0)}};
#endif
}

#define VST3_IID(l1, l2, l3, l4) static constexpr Uid iid = MakeUid(l1, l2, l3, l4)

// ---- Base ---------------------------------------------------------------------
class FUnknown {
 public:
  virtual tresult VST3_API queryInterface(const TUID iid, void** obj) = 0;
  virtual uint32 VST3_API addRef() = 0;
  virtual uint32 VST3_API release() = 0;
  VST3_IID(0x00000000, 0x00000000, 0xC0000000, 0x00000046);
};

class IPluginBase : public FUnknown {
 public:
  virtual tresult VST3_API initialize(FUnknown* context) = 0;
  virtual tresult VST3_API terminate() = 0;
  VST3_IID(0x22888DDB, 0x156E45AE, 0x8358B348, 0x08190625);
};

enum SeekMode : int32 { kIBSeekSet = 0, kIBSeekCur = 1, kIBSeekEnd = 2 };

class IBStream : public FUnknown {
 public:
  virtual tresult VST3_API read(void* buffer, int32 numBytes, int32* numBytesRead) = 0;
  virtual tresult VST3_API write(void* buffer, int32 numBytes, int32* numBytesWritten) = 0;
  virtual tresult VST3_API seek(int64 pos, int32 mode, int64* result) = 0;
  virtual tresult VST3_API tell(int64* pos) = 0;
  VST3_IID(0xC3BF6EA2, 0x30994752, 0x9B6BF990, 0x1EE33E9B);
};

// ---- Factory (natural alignment) ---------------------------------------------
struct PFactoryInfo {
  enum { kNoFlags = 0, kClassesDiscardable = 1, kComponentNonDiscardable = 8, kUnicode = 16 };
  char8 vendor[64];
  char8 url[256];
  char8 email[128];
  int32 flags;
};

struct PClassInfo {
  static constexpr int32 kManyInstances = 0x7FFFFFFF;
  TUID cid;
  int32 cardinality;
  char8 category[32];
  char8 name[64];
};

struct PClassInfo2 {
  TUID cid;
  int32 cardinality;
  char8 category[32];
  char8 name[64];
  uint32 classFlags;
  char8 subCategories[128];
  char8 vendor[64];
  char8 version[64];
  char8 sdkVersion[64];
};

struct PClassInfoW {
  TUID cid;
  int32 cardinality;
  char8 category[32];
  char16 name[64];
  uint32 classFlags;
  char8 subCategories[128];
  char16 vendor[64];
  char16 version[64];
  char16 sdkVersion[64];
};

class IPluginFactory : public FUnknown {
 public:
  virtual tresult VST3_API getFactoryInfo(PFactoryInfo* info) = 0;
  virtual int32 VST3_API countClasses() = 0;
  virtual tresult VST3_API getClassInfo(int32 index, PClassInfo* info) = 0;
  virtual tresult VST3_API createInstance(FIDString cid, FIDString iid, void** obj) = 0;
  VST3_IID(0x7A4D811C, 0x52114A1F, 0xAED9D2EE, 0x0B43BF9F);
};

class IPluginFactory2 : public IPluginFactory {
 public:
  virtual tresult VST3_API getClassInfo2(int32 index, PClassInfo2* info) = 0;
  VST3_IID(0x0007B650, 0xF24B4C0B, 0xA464EDB9, 0xF00B2ABB);
};

class IPluginFactory3 : public IPluginFactory2 {
 public:
  virtual tresult VST3_API getClassInfoUnicode(int32 index, PClassInfoW* info) = 0;
  virtual tresult VST3_API setHostContext(FUnknown* context) = 0;
  VST3_IID(0x4555A2AB, 0xC1234E57, 0x9B122910, 0x36878931);
};

// ---- Processing structures (natural alignment on x86_64) ---------------------
enum MediaTypes : int32 { kAudio = 0, kEvent = 1 };
enum BusDirections : int32 { kInput = 0, kOutput = 1 };
enum BusTypes : int32 { kMain = 0, kAux = 1 };
enum BusFlags : uint32 { kDefaultActive = 1 };
enum ProcessModes : int32 { kRealtime = 0, kPrefetch = 1, kOffline = 2 };
enum SymbolicSampleSizes : int32 { kSample32 = 0, kSample64 = 1 };
constexpr SpeakerArrangement kStereo = 0x3;
constexpr uint32 kNoTail = 0;

struct BusInfo {
  MediaType mediaType;
  BusDirection direction;
  int32 channelCount;
  String128 name;
  BusType busType;
  uint32 flags;
};

struct RoutingInfo {
  MediaType mediaType;
  int32 busIndex;
  int32 channel;
};

struct ProcessSetup {
  int32 processMode;
  int32 symbolicSampleSize;
  int32 maxSamplesPerBlock;
  SampleRate sampleRate;
};

struct AudioBusBuffers {
  int32 numChannels;
  uint64 silenceFlags;
  union {
    float** channelBuffers32;
    double** channelBuffers64;
  };
};

struct FrameRate {
  uint32 framesPerSecond;
  uint32 flags;
};

struct Chord {
  uint8 keyNote;
  uint8 rootNote;
  int16 chordMask;
};

struct ProcessContext {
  enum StatesAndFlags : uint32 {
    kPlaying = 0x2,
    kProjectTimeMusicValid = 0x200,
    kTempoValid = 0x400,
    kBarPositionValid = 0x800,
    kTimeSigValid = 0x2000,
  };
  uint32 state;
  double sampleRate;
  TSamples projectTimeSamples;
  int64 systemTime;
  TSamples continousTimeSamples;
  double projectTimeMusic;
  double barPositionMusic;
  double cycleStartMusic;
  double cycleEndMusic;
  double tempo;
  int32 timeSigNumerator;
  int32 timeSigDenominator;
  Chord chord;
  int32 smpteOffsetSubframes;
  FrameRate frameRate;
  int32 samplesToNextClock;
};

struct NoteOnEvent {
  int16 channel;
  int16 pitch;
  float tuning;
  float velocity;
  int32 length;
  int32 noteId;
};

struct NoteOffEvent {
  int16 channel;
  int16 pitch;
  float velocity;
  int32 noteId;
  float tuning;
};

struct DataEvent {
  uint32 size;
  uint32 type;
  const uint8* bytes;
};

struct PolyPressureEvent {
  int16 channel;
  int16 pitch;
  float pressure;
  int32 noteId;
};

struct Event {
  enum EventTypes : uint16 { kNoteOnEvent = 0, kNoteOffEvent = 1, kDataEvent = 2, kPolyPressureEvent = 3 };
  enum EventFlags : uint16 { kIsLive = 1 };
  int32 busIndex;
  int32 sampleOffset;
  double ppqPosition;
  uint16 flags;
  uint16 type;
  union {
    NoteOnEvent noteOn;
    NoteOffEvent noteOff;
    DataEvent data;
    PolyPressureEvent polyPressure;
    char other[24];  // note expression, chord, scale and legacy CC events
  };
};

class IParamValueQueue : public FUnknown {
 public:
  virtual ParamID VST3_API getParameterId() = 0;
  virtual int32 VST3_API getPointCount() = 0;
  virtual tresult VST3_API getPoint(int32 index, int32& sampleOffset, ParamValue& value) = 0;
  virtual tresult VST3_API addPoint(int32 sampleOffset, ParamValue value, int32& index) = 0;
  VST3_IID(0x01263A18, 0xED074F6F, 0x98C9D356, 0x4686F9BA);
};

class IParameterChanges : public FUnknown {
 public:
  virtual int32 VST3_API getParameterCount() = 0;
  virtual IParamValueQueue* VST3_API getParameterData(int32 index) = 0;
  virtual IParamValueQueue* VST3_API addParameterData(const ParamID& id, int32& index) = 0;
  VST3_IID(0xA4779663, 0x0BB64A56, 0xB44384A8, 0x466FEB9D);
};

class IEventList : public FUnknown {
 public:
  virtual int32 VST3_API getEventCount() = 0;
  virtual tresult VST3_API getEvent(int32 index, Event& e) = 0;
  virtual tresult VST3_API addEvent(Event& e) = 0;
  VST3_IID(0x3A2C4214, 0x346349FE, 0xB2C4F397, 0xB9695A44);
};

struct ProcessData {
  int32 processMode;
  int32 symbolicSampleSize;
  int32 numSamples;
  int32 numInputs;
  int32 numOutputs;
  AudioBusBuffers* inputs;
  AudioBusBuffers* outputs;
  IParameterChanges* inputParameterChanges;
  IParameterChanges* outputParameterChanges;
  IEventList* inputEvents;
  IEventList* outputEvents;
  ProcessContext* processContext;
};

// ---- Processor side -------------------------------------------------------------
class IComponent : public IPluginBase {
 public:
  virtual tresult VST3_API getControllerClassId(TUID classId) = 0;
  virtual tresult VST3_API setIoMode(IoMode mode) = 0;
  virtual int32 VST3_API getBusCount(MediaType type, BusDirection dir) = 0;
  virtual tresult VST3_API getBusInfo(MediaType type, BusDirection dir, int32 index, BusInfo& bus) = 0;
  virtual tresult VST3_API getRoutingInfo(RoutingInfo& inInfo, RoutingInfo& outInfo) = 0;
  virtual tresult VST3_API activateBus(MediaType type, BusDirection dir, int32 index, TBool state) = 0;
  virtual tresult VST3_API setActive(TBool state) = 0;
  virtual tresult VST3_API setState(IBStream* state) = 0;
  virtual tresult VST3_API getState(IBStream* state) = 0;
  VST3_IID(0xE831FF31, 0xF2D54301, 0x928EBBEE, 0x25697802);
};

class IAudioProcessor : public FUnknown {
 public:
  virtual tresult VST3_API setBusArrangements(SpeakerArrangement* inputs, int32 numIns, SpeakerArrangement* outputs,
                                              int32 numOuts) = 0;
  virtual tresult VST3_API getBusArrangement(BusDirection dir, int32 index, SpeakerArrangement& arr) = 0;
  virtual tresult VST3_API canProcessSampleSize(int32 symbolicSampleSize) = 0;
  virtual uint32 VST3_API getLatencySamples() = 0;
  virtual tresult VST3_API setupProcessing(ProcessSetup& setup) = 0;
  virtual tresult VST3_API setProcessing(TBool state) = 0;
  virtual tresult VST3_API process(ProcessData& data) = 0;
  virtual uint32 VST3_API getTailSamples() = 0;
  VST3_IID(0x42043F99, 0xB7DA453C, 0xA569E79D, 0x9AAEC33D);
};

class IProcessContextRequirements : public FUnknown {
 public:
  enum Flags : uint32 {
    kNeedProjectTimeMusic = 0x4,
    kNeedBarPositionMusic = 0x8,
    kNeedTempo = 0x40,
    kNeedTimeSignature = 0x80,
    kNeedTransportState = 0x400,
  };
  virtual uint32 VST3_API getProcessContextRequirements() = 0;
  VST3_IID(0x2A654303, 0xEF764E3D, 0x95B5FE83, 0x730EF6D0);
};

// ---- Controller side -----------------------------------------------------------
struct ParameterInfo {
  enum ParameterFlags : int32 {
    kNoFlags = 0,
    kCanAutomate = 1,
    kIsReadOnly = 2,
    kIsList = 8,
    kIsHidden = 0x10,
    kIsProgramChange = 0x8000,
    kIsBypass = 0x10000,
  };
  ParamID id;
  String128 title;
  String128 shortTitle;
  String128 units;
  int32 stepCount;
  ParamValue defaultNormalizedValue;
  UnitID unitId;
  int32 flags;
};

struct UnitInfo {
  UnitID id;
  UnitID parentUnitId;
  String128 name;
  ProgramListID programListId;
};

struct ProgramListInfo {
  ProgramListID id;
  String128 name;
  int32 programCount;
};

constexpr UnitID kRootUnitId = 0;
constexpr UnitID kNoParentUnitId = -1;

class IComponentHandler : public FUnknown {
 public:
  virtual tresult VST3_API beginEdit(ParamID id) = 0;
  virtual tresult VST3_API performEdit(ParamID id, ParamValue valueNormalized) = 0;
  virtual tresult VST3_API endEdit(ParamID id) = 0;
  virtual tresult VST3_API restartComponent(int32 flags) = 0;
  VST3_IID(0x93A0BEA3, 0x0BD045DB, 0x8E890B0C, 0xC1E46AC6);
};

class IPlugView;

class IEditController : public IPluginBase {
 public:
  virtual tresult VST3_API setComponentState(IBStream* state) = 0;
  virtual tresult VST3_API setState(IBStream* state) = 0;
  virtual tresult VST3_API getState(IBStream* state) = 0;
  virtual int32 VST3_API getParameterCount() = 0;
  virtual tresult VST3_API getParameterInfo(int32 paramIndex, ParameterInfo& info) = 0;
  virtual tresult VST3_API getParamStringByValue(ParamID id, ParamValue valueNormalized, String128 string) = 0;
  virtual tresult VST3_API getParamValueByString(ParamID id, TChar* string, ParamValue& valueNormalized) = 0;
  virtual ParamValue VST3_API normalizedParamToPlain(ParamID id, ParamValue valueNormalized) = 0;
  virtual ParamValue VST3_API plainParamToNormalized(ParamID id, ParamValue plainValue) = 0;
  virtual ParamValue VST3_API getParamNormalized(ParamID id) = 0;
  virtual tresult VST3_API setParamNormalized(ParamID id, ParamValue value) = 0;
  virtual tresult VST3_API setComponentHandler(IComponentHandler* handler) = 0;
  virtual IPlugView* VST3_API createView(FIDString name) = 0;
  VST3_IID(0xDCD7BBE3, 0x7742448D, 0xA874AACC, 0x979C759E);
};

class IMidiMapping : public FUnknown {
 public:
  virtual tresult VST3_API getMidiControllerAssignment(int32 busIndex, int16 channel, CtrlNumber midiControllerNumber,
                                                       ParamID& id) = 0;
  VST3_IID(0xDF0FF9F7, 0x49B74669, 0xB63AB732, 0x7ADBF5E5);
};

class IUnitInfo : public FUnknown {
 public:
  virtual int32 VST3_API getUnitCount() = 0;
  virtual tresult VST3_API getUnitInfo(int32 unitIndex, UnitInfo& info) = 0;
  virtual int32 VST3_API getProgramListCount() = 0;
  virtual tresult VST3_API getProgramListInfo(int32 listIndex, ProgramListInfo& info) = 0;
  virtual tresult VST3_API getProgramName(ProgramListID listId, int32 programIndex, String128 name) = 0;
  virtual tresult VST3_API getProgramInfo(ProgramListID listId, int32 programIndex, CString attributeId,
                                          String128 attributeValue) = 0;
  virtual tresult VST3_API hasProgramPitchNames(ProgramListID listId, int32 programIndex) = 0;
  virtual tresult VST3_API getProgramPitchName(ProgramListID listId, int32 programIndex, int16 midiPitch,
                                               String128 name) = 0;
  virtual UnitID VST3_API getSelectedUnit() = 0;
  virtual tresult VST3_API selectUnit(UnitID unitId) = 0;
  virtual tresult VST3_API getUnitByBus(MediaType type, BusDirection dir, int32 busIndex, int32 channel,
                                        UnitID& unitId) = 0;
  virtual tresult VST3_API setUnitProgramData(int32 listOrUnitId, int32 programIndex, IBStream* data) = 0;
  VST3_IID(0x3D4BD6B5, 0x913A4FD2, 0xA886E768, 0xA5EB92C1);
};

// ---- Editor ------------------------------------------------------------------------
struct ViewRect {
  int32 left;
  int32 top;
  int32 right;
  int32 bottom;
};

constexpr const char* kPlatformTypeHWND = "HWND";
constexpr const char* kPlatformTypeX11EmbedWindowID = "X11EmbedWindowID";
constexpr const char* kEditorViewType = "editor";

class IPlugFrame;

class IPlugView : public FUnknown {
 public:
  virtual tresult VST3_API isPlatformTypeSupported(FIDString type) = 0;
  virtual tresult VST3_API attached(void* parent, FIDString type) = 0;
  virtual tresult VST3_API removed() = 0;
  virtual tresult VST3_API onWheel(float distance) = 0;
  virtual tresult VST3_API onKeyDown(char16 key, int16 keyCode, int16 modifiers) = 0;
  virtual tresult VST3_API onKeyUp(char16 key, int16 keyCode, int16 modifiers) = 0;
  virtual tresult VST3_API getSize(ViewRect* size) = 0;
  virtual tresult VST3_API onSize(ViewRect* newSize) = 0;
  virtual tresult VST3_API onFocus(TBool state) = 0;
  virtual tresult VST3_API setFrame(IPlugFrame* frame) = 0;
  virtual tresult VST3_API canResize() = 0;
  virtual tresult VST3_API checkSizeConstraint(ViewRect* rect) = 0;
  VST3_IID(0x5BC32507, 0xD06049EA, 0xA6151B52, 0x2B755B29);
};

// The host's display scale for the view (1.5 for 150 %); the view's
// rectangles stay in physical pixels. Hosts call it on the UI thread,
// before or after attached().
class IPlugViewContentScaleSupport : public FUnknown {
 public:
  virtual tresult VST3_API setContentScaleFactor(float factor) = 0;
  VST3_IID(0x65ED9690, 0x8AC44525, 0x8AADEF7A, 0x72EA703F);
};

// Host side: the window the view lives in.
class IPlugFrame : public FUnknown {
 public:
  virtual tresult VST3_API resizeView(IPlugView* view, ViewRect* newSize) = 0;
  VST3_IID(0x367FAF01, 0xAFA94693, 0x8D4DA2A0, 0xED0882A3);
};

// Linux: the host's event loop, reached through the frame. The plug-in
// gives it handler objects; the host calls them on its UI thread.
class IEventHandler : public FUnknown {
 public:
  virtual void VST3_API onFDIsSet(int fd) = 0;
  VST3_IID(0x561E65C9, 0x13A0496F, 0x813A2C35, 0x654D7983);
};

class ITimerHandler : public FUnknown {
 public:
  virtual void VST3_API onTimer() = 0;
  VST3_IID(0x10BDD94F, 0x41424774, 0x821FAD8F, 0xECA72CA9);
};

class IRunLoop : public FUnknown {
 public:
  virtual tresult VST3_API registerEventHandler(IEventHandler* handler, int fd) = 0;
  virtual tresult VST3_API unregisterEventHandler(IEventHandler* handler) = 0;
  virtual tresult VST3_API registerTimer(ITimerHandler* handler, uint64 milliseconds) = 0;
  virtual tresult VST3_API unregisterTimer(ITimerHandler* handler) = 0;
  VST3_IID(0x18C35366, 0x97764F1A, 0x9C5B8385, 0x7A871389);
};

// Interfaces Brume does not implement, named so hosts' and tests' queries
// for them can be answered (and checked) as refused.
struct Unimplemented {
  static constexpr Uid kEditController2 = MakeUid(0x7F4EFE59, 0xF3204967, 0xAC27A3AE, 0xAFB63038);
  static constexpr Uid kConnectionPoint = MakeUid(0x70A4156F, 0x6E6E4026, 0x989148BF, 0xAA60D8D1);
  static constexpr Uid kMidiLearn = MakeUid(0x6B2449CC, 0x419740B5, 0xAB3C79DA, 0xC5FE5C86);
  static constexpr Uid kProgramListData = MakeUid(0x8683B01F, 0x7B354F70, 0xA2651DEC, 0x353AF4FF);
  static constexpr Uid kUnitData = MakeUid(0x6C389611, 0xD391455D, 0xB870B833, 0x94A0EFDD);
  static constexpr Uid kAudioPresentationLatency = MakeUid(0x309ECE78, 0xEB7D4FAE, 0x8B2225D9, 0x09FD08B6);
};

// ---- Layout checks (x86_64, identical on Linux and Windows) -----------------------
static_assert(sizeof(PFactoryInfo) == 452 && sizeof(PClassInfo) == 116, "factory info layout");
static_assert(sizeof(PClassInfo2) == 440 && sizeof(PClassInfoW) == 696, "class info layout");
static_assert(sizeof(BusInfo) == 276 && sizeof(RoutingInfo) == 12, "bus info layout");
static_assert(sizeof(ParameterInfo) == 792 && offsetof(ParameterInfo, defaultNormalizedValue) == 776,
              "parameter info layout");
static_assert(sizeof(UnitInfo) == 268 && sizeof(ProgramListInfo) == 264, "unit info layout");
static_assert(sizeof(ProcessSetup) == 24 && sizeof(AudioBusBuffers) == 24, "setup and bus buffer layout");
static_assert(sizeof(ProcessData) == 80 && offsetof(ProcessData, processContext) == 72, "process data layout");
static_assert(sizeof(ProcessContext) == 112 && offsetof(ProcessContext, tempo) == 72 &&
                  offsetof(ProcessContext, samplesToNextClock) == 104,
              "process context layout");
static_assert(sizeof(Event) == 48 && offsetof(Event, noteOn) == 24, "event layout");
static_assert(sizeof(NoteOnEvent) == 20 && sizeof(NoteOffEvent) == 16, "note event layout");
static_assert(sizeof(ViewRect) == 16, "view rectangle layout");

}  // namespace vst3
