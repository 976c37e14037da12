#include "tests/clap/ClapHost.h"

#include <algorithm>

namespace clap_host {
namespace {

Instance& Of(const clap::Host* host) { return *static_cast<Instance*>(host->host_data); }

const clap::HostParams kParams = {
    [](const clap::Host*, uint32_t) {}, [](const clap::Host*, uint32_t, uint32_t) {},
    [](const clap::Host* host) { ++Of(host).flushRequests; }};
const clap::HostGui kGui = {
    [](const clap::Host*) {},
    [](const clap::Host* host, uint32_t, uint32_t) {
      ++Of(host).resizeRequests;
      return true;
    },
    [](const clap::Host*) { return false; }, [](const clap::Host*) { return false; },
    [](const clap::Host*, bool) {}};
const clap::HostTimerSupport kTimers = {
    [](const clap::Host* host, uint32_t, uint32_t* id) {
      Instance& self = Of(host);
      *id = self.nextTimer++;  // the first id is 0, as Qtractor gives it
      self.timers.push_back(*id);
      return true;
    },
    [](const clap::Host* host, uint32_t id) {
      auto& timers = Of(host).timers;
      const auto at = std::find(timers.begin(), timers.end(), id);
      if (at == timers.end()) return false;
      timers.erase(at);
      return true;
    }};
const clap::HostPosixFdSupport kFds = {
    [](const clap::Host* host, int fd, uint32_t) {
      Of(host).fds.push_back(fd);
      return true;
    },
    [](const clap::Host*, int, uint32_t) { return true; },
    [](const clap::Host* host, int fd) {
      auto& fds = Of(host).fds;
      const auto at = std::find(fds.begin(), fds.end(), fd);
      if (at == fds.end()) return false;
      fds.erase(at);
      return true;
    }};

struct Stream {
  std::vector<uint8_t>* bytes;
  size_t position;
  size_t chunk;
};

}  // namespace

Module::Module(const std::string& path) {
  if (!library_.Open(path, error_)) return;
  entry_ = static_cast<const clap::PluginEntry*>(library_.Symbol("clap_entry"));
  if (!entry_ || !entry_->init(path.c_str())) return;
  factory_ = static_cast<const clap::PluginFactory*>(entry_->get_factory(clap::kPluginFactoryId));
}

Module::~Module() {
  if (entry_) entry_->deinit();
}

void EventList::Param(uint32_t time, uint32_t id, double value) {
  clap::EventParamValue e{};
  e.header = {sizeof e, time, clap::kCoreEventSpace, clap::kParamValue, 0};
  e.param_id = id;
  e.note_id = -1;
  e.port_index = e.channel = e.key = -1;
  e.value = value;
  Add(e);
}

void EventList::Note(uint32_t time, bool on, int16_t key, double velocity) {
  clap::EventNote e{};
  e.header = {sizeof e, time, clap::kCoreEventSpace, on ? clap::kNoteOn : clap::kNoteOff, 0};
  e.note_id = -1;
  e.key = key;
  e.velocity = velocity;
  Add(e);
}

void EventList::Midi(uint32_t time, uint8_t status, uint8_t data1, uint8_t data2) {
  clap::EventMidi e{};
  e.header = {sizeof e, time, clap::kCoreEventSpace, clap::kMidi, 0};
  e.data[0] = status, e.data[1] = data1, e.data[2] = data2;
  Add(e);
}

const clap::InputEvents* EventList::Input() {
  input_.ctx = this;
  input_.size = [](const clap::InputEvents* list) {
    return static_cast<uint32_t>(static_cast<EventList*>(list->ctx)->blobs_.size());
  };
  input_.get = [](const clap::InputEvents* list, uint32_t index) -> const clap::EventHeader* {
    auto& blobs = static_cast<EventList*>(list->ctx)->blobs_;
    return index < blobs.size() ? reinterpret_cast<const clap::EventHeader*>(blobs[index].data()) : nullptr;
  };
  return &input_;
}

OutputLog::OutputLog() {
  output.ctx = this;
  output.try_push = [](const clap::OutputEvents* list, const clap::EventHeader* event) {
    auto* log = static_cast<OutputLog*>(list->ctx);
    double value = 0.0;
    uint32_t id = 0;
    if (event->type == clap::kParamValue) {
      const auto* e = reinterpret_cast<const clap::EventParamValue*>(event);
      id = e->param_id, value = e->value;
    } else if (event->type == clap::kParamGestureBegin || event->type == clap::kParamGestureEnd) {
      id = reinterpret_cast<const clap::EventParamGesture*>(event)->param_id;
    }
    log->entries.push_back({event->type, id, value});
    return true;
  };
}

Instance::Instance(const Module& module) {
  host_.version = clap::kVersion;
  host_.host_data = this;
  host_.name = "Kestrel test host";
  host_.vendor = "Orvendale";
  host_.url = "";
  host_.version_text = "1";
  host_.get_extension = [](const clap::Host*, const char* id) -> const void* {
    if (std::strcmp(id, clap::kParamsId) == 0) return &kParams;
    if (std::strcmp(id, clap::kGuiId) == 0) return &kGui;
    if (std::strcmp(id, clap::kTimerSupportId) == 0) return &kTimers;
    if (std::strcmp(id, clap::kPosixFdSupportId) == 0) return &kFds;
    return nullptr;
  };
  host_.request_restart = host_.request_process = host_.request_callback = [](const clap::Host*) {};
  const clap::PluginFactory* factory = module.Factory();
  if (!factory || factory->get_plugin_count(factory) < 1) return;
  const clap::PluginDescriptor* descriptor = factory->get_plugin_descriptor(factory, 0);
  plugin_ = descriptor ? factory->create_plugin(factory, &host_, descriptor->id) : nullptr;
  if (plugin_ && !plugin_->init(plugin_)) {
    plugin_->destroy(plugin_);
    plugin_ = nullptr;
  }
}

Instance::~Instance() {
  if (!plugin_) return;
  Deactivate();
  plugin_->destroy(plugin_);
}

bool Instance::Activate(double rate, uint32_t maxFrames) {
  if (!plugin_ || !plugin_->activate(plugin_, rate, 1, maxFrames)) return false;
  active_ = true;
  return plugin_->start_processing(plugin_);
}

void Instance::Deactivate() {
  if (!active_) return;
  plugin_->stop_processing(plugin_);
  plugin_->deactivate(plugin_);
  active_ = false;
}

template <typename Sample>
int32_t Instance::Run(Sample* const* in, Sample* const* out, uint32_t frames, EventList* events, double tempo,
                      OutputLog* log) {
  clap::AudioBuffer input{}, output{};
  input.channel_count = output.channel_count = 2;
  if constexpr (sizeof(Sample) == sizeof(float)) {
    input.data32 = const_cast<float**>(in), output.data32 = const_cast<float**>(out);
  } else {
    input.data64 = const_cast<double**>(in), output.data64 = const_cast<double**>(out);
  }
  clap::EventTransport transport{};
  transport.header = {sizeof transport, 0, clap::kCoreEventSpace, clap::kTransport, 0};
  transport.flags = clap::kTransportHasTempo;
  transport.tempo = tempo;
  EventList none;
  OutputLog ignored;
  clap::Process process{};
  process.steady_time = steadyTime_;
  process.frames_count = frames;
  process.transport = tempo > 0.0 ? &transport : nullptr;
  process.audio_inputs = &input;
  process.audio_outputs = &output;
  process.audio_inputs_count = process.audio_outputs_count = 1;
  process.in_events = (events ? events : &none)->Input();
  process.out_events = &(log ? log : &ignored)->output;
  steadyTime_ += frames;
  return plugin_->process(plugin_, &process);
}

int32_t Instance::Process(float* const* in, float* const* out, uint32_t frames, EventList* events, double tempo,
                          OutputLog* log) {
  return Run(in, out, frames, events, tempo, log);
}

int32_t Instance::ProcessDouble(double* const* in, double* const* out, uint32_t frames) {
  return Run(in, out, frames, nullptr, 0.0, nullptr);
}

std::vector<uint8_t> Instance::Save(int chunk) {
  std::vector<uint8_t> bytes;
  Stream stream{&bytes, 0, static_cast<size_t>(chunk)};
  clap::OutputStream out{&stream, [](const clap::OutputStream* s, const void* buffer, uint64_t size) -> int64_t {
                           auto* st = static_cast<Stream*>(s->ctx);
                           const size_t n = std::min<uint64_t>(size, st->chunk);
                           const auto* b = static_cast<const uint8_t*>(buffer);
                           st->bytes->insert(st->bytes->end(), b, b + n);
                           return static_cast<int64_t>(n);
                         }};
  const auto* state = Get<clap::PluginState>(clap::kStateId);
  if (!state || !state->save(plugin_, &out)) return {};
  return bytes;
}

bool Instance::Load(const std::vector<uint8_t>& bytes, int chunk) {
  std::vector<uint8_t> copy = bytes;
  Stream stream{&copy, 0, static_cast<size_t>(chunk)};
  clap::InputStream in{&stream, [](const clap::InputStream* s, void* buffer, uint64_t size) -> int64_t {
                         auto* st = static_cast<Stream*>(s->ctx);
                         const size_t n = std::min<uint64_t>({size, st->chunk, st->bytes->size() - st->position});
                         if (n > 0) std::memcpy(buffer, st->bytes->data() + st->position, n);
                         st->position += n;
                         return static_cast<int64_t>(n);
                       }};
  const auto* state = Get<clap::PluginState>(clap::kStateId);
  return state && state->load(plugin_, &in);
}

double Instance::Value(uint32_t id) {
  double value = -1.0;
  const auto* params = Get<clap::PluginParams>(clap::kParamsId);
  return params && params->get_value(plugin_, id, &value) ? value : -1.0;
}

}  // namespace clap_host
