#pragma once
// A small CLAP host of the tests' own: it loads a .clap file, walks its
// entry and factory, and drives one plug-in instance: activation, process
// calls with audio, events and a transport, state through streams that
// hand over a few bytes at a time, parameter flushes, and the host
// extensions the editor uses (timers whose ids start at 0, fd watches,
// resize requests), recording what the plug-in asks of it.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "clap/ClapAbi.h"
#include "tools/loader/PluginLibrary.h"

namespace clap_host {

class Module {
 public:
  explicit Module(const std::string& path);
  ~Module();
  const clap::PluginEntry* Entry() const { return entry_; }
  const clap::PluginFactory* Factory() const { return factory_; }
  std::string Error() const { return error_; }

 private:
  PluginLibrary library_;
  const clap::PluginEntry* entry_ = nullptr;
  const clap::PluginFactory* factory_ = nullptr;
  std::string error_;
};

// Events in time order, as a host hands them to process or flush.
class EventList {
 public:
  template <typename Event>
  void Add(const Event& event) {
    std::vector<uint8_t> blob(sizeof event);
    std::memcpy(blob.data(), &event, sizeof event);
    blobs_.push_back(std::move(blob));
  }
  void Param(uint32_t time, uint32_t id, double value);
  void Note(uint32_t time, bool on, int16_t key, double velocity);
  void Midi(uint32_t time, uint8_t status, uint8_t data1, uint8_t data2);
  const clap::InputEvents* Input();

 private:
  std::vector<std::vector<uint8_t>> blobs_;
  clap::InputEvents input_{};
};

// What the plug-in pushed: type and parameter id of each event, and values.
struct OutputLog {
  struct Entry {
    uint16_t type;
    uint32_t id;
    double value;
  };
  std::vector<Entry> entries;
  clap::OutputEvents output{};
  OutputLog();
};

class Instance {
 public:
  explicit Instance(const Module& module);
  ~Instance();
  bool Valid() const { return plugin_ != nullptr; }
  const clap::Plugin* Plugin() const { return plugin_; }
  template <typename Extension>
  const Extension* Get(const char* id) const {
    return plugin_ ? static_cast<const Extension*>(plugin_->get_extension(plugin_, id)) : nullptr;
  }
  bool Activate(double rate, uint32_t maxFrames);
  void Deactivate();
  // One block; in and out may be the same buffers. tempo 0: no transport.
  int32_t Process(float* const* in, float* const* out, uint32_t frames, EventList* events = nullptr,
                  double tempo = 0.0, OutputLog* log = nullptr);
  int32_t ProcessDouble(double* const* in, double* const* out, uint32_t frames);
  // state.save and state.load, `chunk` bytes per stream call.
  std::vector<uint8_t> Save(int chunk = 7);
  bool Load(const std::vector<uint8_t>& bytes, int chunk = 5);
  double Value(uint32_t id);

  // What the plug-in asked of the host.
  int flushRequests = 0;
  int resizeRequests = 0;
  std::vector<uint32_t> timers;  // registered, not yet unregistered
  std::vector<int> fds;
  uint32_t nextTimer = 0;

 private:
  template <typename Sample>
  int32_t Run(Sample* const* in, Sample* const* out, uint32_t frames, EventList* events, double tempo, OutputLog* log);

  clap::Host host_{};
  const clap::Plugin* plugin_ = nullptr;
  bool active_ = false;
  int64_t steadyTime_ = 0;
};

}  // namespace clap_host
