#include "tests/vst3/Vst3Host.h"

#include <algorithm>
#include <cstring>
#include <type_traits>

#include "framework/TextCodePage.h"

namespace vst3_host {

tresult MemoryStream::read(void* buffer, int32 n, int32* got) {
  const size_t count = std::min<size_t>({static_cast<size_t>(std::max(n, 0)), bytes.size() - position,
                                         static_cast<size_t>(chunkLimit)});
  if (count) std::memcpy(buffer, bytes.data() + position, count);
  position += count;
  if (got) *got = static_cast<int32>(count);
  return kResultOk;
}

tresult MemoryStream::write(void* buffer, int32 n, int32* written) {
  if (n < 0) return kInvalidArgument;
  const auto* b = static_cast<const uint8_t*>(buffer);
  if (position + n > bytes.size()) bytes.resize(position + n);
  std::copy(b, b + n, bytes.begin() + static_cast<long>(position));
  position += static_cast<size_t>(n);
  if (written) *written = n;
  return kResultOk;
}

tresult MemoryStream::seek(int64 pos, int32 mode, int64* result) {
  const int64 base = mode == kIBSeekSet ? 0 : mode == kIBSeekCur ? static_cast<int64>(position)
                                                                  : static_cast<int64>(bytes.size());
  position = static_cast<size_t>(std::clamp<int64>(base + pos, 0, static_cast<int64>(bytes.size())));
  if (result) *result = static_cast<int64>(position);
  return kResultOk;
}

tresult MemoryStream::tell(int64* pos) {
  if (pos) *pos = static_cast<int64>(position);
  return kResultOk;
}

tresult ValueQueue::getPoint(int32 index, int32& offset, ParamValue& value) {
  if (index < 0 || index >= getPointCount()) return kInvalidArgument;
  offset = points_[static_cast<size_t>(index)].first;
  value = points_[static_cast<size_t>(index)].second;
  return kResultOk;
}

tresult ValueQueue::addPoint(int32 offset, ParamValue value, int32& index) {
  index = getPointCount();
  points_.emplace_back(offset, value);
  return kResultOk;
}

IParamValueQueue* ParameterChanges::getParameterData(int32 index) {
  return index >= 0 && index < getParameterCount() ? &queues_[static_cast<size_t>(index)] : nullptr;
}

IParamValueQueue* ParameterChanges::addParameterData(const ParamID& id, int32& index) {
  for (size_t i = 0; i < queues_.size(); ++i)
    if (queues_[i].getParameterId() == id) {
      index = static_cast<int32>(i);
      return &queues_[i];
    }
  index = getParameterCount();
  queues_.emplace_back(id);
  return &queues_.back();
}

void ParameterChanges::Add(ParamID id, int32 offset, double value) {
  int32 index = 0;
  addParameterData(id, index)->addPoint(offset, value, index);
}

tresult EventList::getEvent(int32 index, Event& e) {
  if (index < 0 || index >= getEventCount()) return kInvalidArgument;
  e = events[static_cast<size_t>(index)];
  return kResultOk;
}

tresult EventList::addEvent(Event& e) {
  events.push_back(e);
  return kResultOk;
}

void EventList::Note(bool on, int32 offset, int16 pitch, float velocity) {
  Event e;
  std::memset(&e, 0, sizeof e);
  e.sampleOffset = offset;
  e.type = on ? Event::kNoteOnEvent : Event::kNoteOffEvent;
  if (on) {
    e.noteOn.pitch = pitch;
    e.noteOn.velocity = velocity;
    e.noteOn.noteId = -1;
  } else {
    e.noteOff.pitch = pitch;
    e.noteOff.velocity = velocity;
    e.noteOff.noteId = -1;
  }
  events.push_back(e);
}

tresult ComponentHandler::beginEdit(ParamID id) {
  calls.push_back("begin " + std::to_string(id));
  return kResultOk;
}
tresult ComponentHandler::performEdit(ParamID id, ParamValue value) {
  calls.push_back("perform " + std::to_string(id) + " " + std::to_string(value));
  return kResultOk;
}
tresult ComponentHandler::endEdit(ParamID id) {
  calls.push_back("end " + std::to_string(id));
  return kResultOk;
}
tresult ComponentHandler::restartComponent(int32 flags) {
  calls.push_back("restart " + std::to_string(flags));
  return kResultOk;
}

uint32 Module::lastFactoryCount = 1;
uint32 Instance::finalCounts[3] = {1, 1, 1};

using FactoryEntry = IPluginFactory*(VST3_API*)();
using LoadEntry = bool (*)(void*);
using UnloadEntry = bool (*)();

Module::Module(const std::string& path) {
  std::string error;
  if (!library_.Open(path, error)) return;
#ifdef _WIN32
  auto enter = reinterpret_cast<UnloadEntry>(library_.Symbol("InitDll"));
  entered_ = enter && enter();
#else
  auto enter = reinterpret_cast<LoadEntry>(library_.Symbol("ModuleEntry"));
  entered_ = enter && enter(nullptr);
#endif
  auto entry = reinterpret_cast<FactoryEntry>(library_.Symbol("GetPluginFactory"));
  if (entered_ && entry) factory_ = entry();
}

Module::~Module() {
  if (factory_) lastFactoryCount = factory_->release();
#ifdef _WIN32
  auto exit = reinterpret_cast<UnloadEntry>(library_.Symbol("ExitDll"));
#else
  auto exit = reinterpret_cast<UnloadEntry>(library_.Symbol("ModuleExit"));
#endif
  if (entered_ && exit) exit();
}

Instance::Instance(IPluginFactory* factory) {
  void* object = nullptr;
  if (!factory || factory->createInstance(brume_vst3::kProcessorCid.bytes, IComponent::iid.bytes, &object) != kResultOk)
    return;
  component = static_cast<IComponent*>(object);
  component->initialize(nullptr);
  processor = Query<IAudioProcessor>(component);
  TUID controllerCid;
  if (component->getControllerClassId(controllerCid) != kResultOk) return;
  object = nullptr;
  if (factory->createInstance(controllerCid, IEditController::iid.bytes, &object) != kResultOk) return;
  controller = static_cast<IEditController*>(object);
  controller->initialize(nullptr);
  controller->setComponentHandler(&handler);
  MemoryStream state;
  component->getState(&state);
  state.position = 0;
  controller->setComponentState(&state);
}

Instance::~Instance() {
  if (processor) processor->setProcessing(0);
  if (component) component->setActive(0);
  if (controller) {
    controller->setComponentHandler(nullptr);
    controller->terminate();
    finalCounts[2] = controller->release();
  }
  if (processor) finalCounts[1] = processor->release();
  if (component) {
    component->terminate();
    finalCounts[0] = component->release();
  }
}

bool Instance::Setup(double rate, int maxBlock, int32 sampleSize) {
  SpeakerArrangement stereo[] = {kStereo, kStereo};
  if (processor->setBusArrangements(&stereo[0], 1, &stereo[1], 1) != kResultTrue) return false;
  ProcessSetup setup{kRealtime, sampleSize, maxBlock, rate};
  if (processor->setupProcessing(setup) != kResultOk) return false;
  return component->setActive(1) == kResultOk && processor->setProcessing(1) == kResultOk;
}

namespace {
// One block of `data` through the processor, on a stereo bus each way.
template <typename Sample>
void ProcessBlock(IAudioProcessor* processor, Sample* const* in, Sample* const* out, int frames, ProcessData data) {
  AudioBusBuffers inputs{}, outputs{};
  inputs.numChannels = outputs.numChannels = 2;
  if constexpr (std::is_same_v<Sample, float>) {
    inputs.channelBuffers32 = const_cast<float**>(in);
    outputs.channelBuffers32 = const_cast<float**>(out);
    data.symbolicSampleSize = kSample32;
  } else {
    inputs.channelBuffers64 = const_cast<double**>(in);
    outputs.channelBuffers64 = const_cast<double**>(out);
    data.symbolicSampleSize = kSample64;
  }
  data.numSamples = frames;
  data.numInputs = data.numOutputs = 1;
  data.inputs = &inputs;
  data.outputs = &outputs;
  processor->process(data);
}
}  // namespace

void Instance::Process(float* const* in, float* const* out, int frames, ParameterChanges* changes, EventList* events,
                       ProcessContext* context, ParameterChanges* outputChanges) {
  ProcessData data{};
  data.processMode = kRealtime;
  data.inputParameterChanges = changes;
  data.outputParameterChanges = outputChanges;
  data.inputEvents = events;
  data.processContext = context;
  ProcessBlock(processor, in, out, frames, data);
}

void Instance::ProcessDouble(double* const* in, double* const* out, int frames) {
  ProcessBlock(processor, in, out, frames, ProcessData{});
}

std::vector<uint8_t> Instance::State() {
  MemoryStream stream;
  if (component->getState(&stream) != kResultOk) return {};
  return stream.bytes;
}

bool Instance::SetState(const std::vector<uint8_t>& bytes) {
  MemoryStream stream(bytes);
  if (component->setState(&stream) != kResultOk) return false;
  stream.position = 0;
  return controller->setComponentState(&stream) == kResultOk;
}

std::string HostText(const char16* text) {
  std::string out;
  for (; text && *text; ++text) {
    const char16 c = *text;
#ifdef _WIN32
    char byte = '?';
    for (int b = 0; b < 256; ++b)
      if (codepage::Windows1252ToUnicode(static_cast<unsigned char>(b)) == c) byte = static_cast<char>(b);
    out += byte;
#else
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {  // the plug-in's texts need no surrogate pairs
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
#endif
  }
  return out;
}

}  // namespace vst3_host
