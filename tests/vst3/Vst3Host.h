#pragma once
// A small VST3 host for the tests: loads the bundle's library as hosts do
// (entry call, factory), creates the processor and the controller from the
// factory, and provides the host-side objects a plug-in calls: a memory
// stream, parameter change queues, an event list, a component handler that
// records what it is told. Host objects live on the stack and ignore
// reference counting.
#include <string>
#include <vector>

#include "tools/loader/PluginLibrary.h"
#include "vst3/BrumeVst3Ids.h"
#include "vst3/Vst3Abi.h"

namespace vst3_host {

using namespace vst3;

// FUnknown for a host object that answers only its own interface.
template <typename I>
class HostObject : public I {
 public:
  tresult VST3_API queryInterface(const TUID iid, void** obj) override {
    if (FUnknown::iid.Is(iid) || I::iid.Is(iid)) {
      *obj = static_cast<I*>(this);
      return kResultOk;
    }
    *obj = nullptr;
    return kNoInterface;
  }
  uint32 VST3_API addRef() override { return 2; }
  uint32 VST3_API release() override { return 1; }
};

class MemoryStream : public HostObject<IBStream> {
 public:
  MemoryStream() = default;
  explicit MemoryStream(std::vector<uint8_t> bytes) : bytes(std::move(bytes)) {}
  tresult VST3_API read(void* buffer, int32 n, int32* got) override;
  tresult VST3_API write(void* buffer, int32 n, int32* written) override;
  tresult VST3_API seek(int64 pos, int32 mode, int64* result) override;
  tresult VST3_API tell(int64* pos) override;
  std::vector<uint8_t> bytes;
  size_t position = 0;
  int chunkLimit = 1 << 30;  // bytes one read returns at most
};

class ValueQueue : public HostObject<IParamValueQueue> {
 public:
  explicit ValueQueue(ParamID id) : id_(id) {}
  ParamID VST3_API getParameterId() override { return id_; }
  int32 VST3_API getPointCount() override { return static_cast<int32>(points_.size()); }
  tresult VST3_API getPoint(int32 index, int32& offset, ParamValue& value) override;
  tresult VST3_API addPoint(int32 offset, ParamValue value, int32& index) override;

 private:
  ParamID id_;
  std::vector<std::pair<int32, double>> points_;
};

class ParameterChanges : public HostObject<IParameterChanges> {
 public:
  int32 VST3_API getParameterCount() override { return static_cast<int32>(queues_.size()); }
  IParamValueQueue* VST3_API getParameterData(int32 index) override;
  IParamValueQueue* VST3_API addParameterData(const ParamID& id, int32& index) override;
  void Add(ParamID id, int32 offset, double value);
  void Clear() { queues_.clear(); }

 private:
  std::vector<ValueQueue> queues_;
};

class EventList : public HostObject<IEventList> {
 public:
  int32 VST3_API getEventCount() override { return static_cast<int32>(events.size()); }
  tresult VST3_API getEvent(int32 index, Event& e) override;
  tresult VST3_API addEvent(Event& e) override;
  void Note(bool on, int32 offset, int16 pitch, float velocity);
  std::vector<Event> events;
};

class ComponentHandler : public HostObject<IComponentHandler> {
 public:
  tresult VST3_API beginEdit(ParamID id) override;
  tresult VST3_API performEdit(ParamID id, ParamValue value) override;
  tresult VST3_API endEdit(ParamID id) override;
  tresult VST3_API restartComponent(int32 flags) override;
  std::vector<std::string> calls;  // "begin 3", "perform 3 0.5", "end 3", "restart 4"
};

// The bundle's library and its factory, released and unloaded at the end.
class Module {
 public:
  explicit Module(const std::string& path);
  ~Module();
  bool Loaded() const { return factory_ != nullptr; }
  IPluginFactory* Factory() const { return factory_; }
  // What the factory's last release returned (0: nobody holds it).
  static uint32 lastFactoryCount;

 private:
  PluginLibrary library_;
  IPluginFactory* factory_ = nullptr;
  bool entered_ = false;
};

// One processor and its controller, set up for processing.
struct Instance {
  explicit Instance(IPluginFactory* factory);
  ~Instance();
  bool Valid() const { return component && processor && controller; }
  bool Setup(double rate, int maxBlock, int32 sampleSize = kSample32);
  // One block of float or double audio with the given changes and events.
  void Process(float* const* in, float* const* out, int frames, ParameterChanges* changes = nullptr,
               EventList* events = nullptr, ProcessContext* context = nullptr,
               ParameterChanges* outputChanges = nullptr);
  void ProcessDouble(double* const* in, double* const* out, int frames);
  std::vector<uint8_t> State();
  bool SetState(const std::vector<uint8_t>& bytes);
  // What the last release of the component, its processor interface and
  // the controller returned, for the last instance that ended (0: freed).
  static uint32 finalCounts[3];

  IComponent* component = nullptr;
  IAudioProcessor* processor = nullptr;
  IEditController* controller = nullptr;
  ComponentHandler handler;
};

template <typename I>
I* Query(FUnknown* object) {
  void* out = nullptr;
  if (!object || object->queryInterface(I::iid.bytes, &out) != kResultOk) return nullptr;
  return static_cast<I*>(out);
}

// A UTF-16 text as the platform's VST 2.4 hosts get texts: UTF-8 on
// Linux, Windows-1252 on Windows.
std::string HostText(const char16* text);

}  // namespace vst3_host
