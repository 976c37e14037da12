#include "clap/BrumeClapPlugin.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>
#include <type_traits>

#include "clap/ClapParameters.h"
#include "effect/BrumeState.h"
#include "effect/DefineParameters.h"
#include "effect/EditorLayout.h"
#include "gui/IEditorView.h"

namespace brume_clap {
namespace {

#ifdef _WIN32
constexpr const char* kWindowApi = clap::kWindowApiWin32;
#else
constexpr const char* kWindowApi = clap::kWindowApiX11;
#endif

uint8_t MidiByte(double unit) {
  if (!(unit > 0.0)) return 0;  // NaN too
  return static_cast<uint8_t>(std::min(std::floor(unit * 127.0 + 0.5), 127.0));
}

template <typename Event>
const Event* As(const clap::EventHeader& header) {
  return header.size >= sizeof(Event) ? reinterpret_cast<const Event*>(&header) : nullptr;
}

// each(header) for the host's events: no more than a block's list holds,
// whatever the count claims, and up to the first entry the host fails to
// give.
template <typename Each>
void ForEachEvent(const clap::InputEvents* in, Each&& each) {
  if (!in || !in->size || !in->get) return;
  const uint32_t count = std::min<uint32_t>(in->size(in), BrumeProcessor::kMaxBlockEvents);
  for (uint32_t i = 0; i < count; ++i) {
    const clap::EventHeader* header = in->get(in, i);
    if (!header) break;
    each(*header);
  }
}

float** Channels32(const clap::AudioBuffer& buffer) { return buffer.data32; }
double** Channels64(const clap::AudioBuffer& buffer) { return buffer.data64; }

}  // namespace

BrumeClapPlugin::BrumeClapPlugin(const clap::Host* host, const clap::PluginDescriptor* descriptor)
    : StoreEditorDelegate(parameters_), host_(host), parameters_(kParameterCount), bank_(parameters_, 0),
      processor_(parameters_) {
  DefineParameters(parameters_);
  // The engine starts from the defaults, as the VST 2.4 effect does.
  parameters_.MarkAllChanged();
  plugin_.desc = descriptor;
  plugin_.plugin_data = this;
  plugin_.init = [](const clap::Plugin* p) { return Self(p).Init(); };
  plugin_.destroy = [](const clap::Plugin* p) { delete &Self(p); };
  plugin_.activate = [](const clap::Plugin* p, double rate, uint32_t, uint32_t maxFrames) {
    return Self(p).Activate(rate, maxFrames);
  };
  plugin_.deactivate = [](const clap::Plugin* p) { Self(p).Deactivate(); };
  plugin_.start_processing = [](const clap::Plugin*) { return true; };
  plugin_.stop_processing = [](const clap::Plugin*) {};
  // Buffers and MIDI state go; the settings stay.
  plugin_.reset = [](const clap::Plugin* p) { Self(p).processor_.ClearHistory(); };
  plugin_.process = [](const clap::Plugin* p, const clap::Process* process) {
    return process ? Self(p).Process(*process) : int32_t{clap::kProcessError};
  };
  plugin_.get_extension = [](const clap::Plugin* p, const char* id) { return id ? Self(p).Extension(id) : nullptr; };
  plugin_.on_main_thread = [](const clap::Plugin*) {};
}

BrumeClapPlugin::~BrumeClapPlugin() { DestroyEditor(); }

template <typename Extension>
const Extension* BrumeClapPlugin::HostExtension(const char* id) const {
  if (!host_ || !host_->get_extension) return nullptr;
  return static_cast<const Extension*>(host_->get_extension(host_, id));
}

// Host extensions may be missing (a scanner offers none): each is optional.
bool BrumeClapPlugin::Init() {
  hostParams_ = HostExtension<clap::HostParams>(clap::kParamsId);
  hostGui_ = HostExtension<clap::HostGui>(clap::kGuiId);
  hostTimers_ = HostExtension<clap::HostTimerSupport>(clap::kTimerSupportId);
  hostFds_ = HostExtension<clap::HostPosixFdSupport>(clap::kPosixFdSupportId);
  return true;
}

bool BrumeClapPlugin::Activate(double sampleRate, uint32_t maxFrames) {
  const int frames = static_cast<int>(std::clamp<uint32_t>(maxFrames, 1, kMaxScratchFrames));
  if (!processor_.Prepare(sampleRate, frames)) return false;
  active_ = true;
  return true;
}

void BrumeClapPlugin::Deactivate() {
  active_ = false;
  processor_.ClearHistory();
}

// ---- Processing ------------------------------------------------------------

void BrumeClapPlugin::ReadEvent(const clap::EventHeader& header) {
  if (header.space_id != clap::kCoreEventSpace) return;
  BlockEventList& events = processor_.Events();
  const uint32_t time = header.time;
  switch (header.type) {
    case clap::kParamValue:
      if (const auto* e = As<clap::EventParamValue>(header)) {
        if (std::isnan(e->value)) return;
        if (e->param_id == kBypassParamId) {
          events.AddBypass(time, e->value >= 0.5);
        } else if (IParameter* parameter = parameters_.Parameter(static_cast<int>(std::min<uint32_t>(e->param_id, INT32_MAX)))) {
          const double plain = parameter->ClampedValueOf(e->value);
          parameter->SetClamped(plain);  // what get_value and the state report; the engine hears it at its time
          parameters_.MarkChangedForEditor(static_cast<int>(e->param_id));
          if (!events.AddParameter(time, static_cast<int>(e->param_id), plain)) changesDropped_ = true;
        }
      }
      break;
    case clap::kNoteOn:
    case clap::kNoteOff:
      if (const auto* e = As<clap::EventNote>(header)) {
        if (e->key < 0 || e->key > 127) return;  // a wildcard key names no note to play
        const uint8_t channel = static_cast<uint8_t>(e->channel < 0 ? 0 : e->channel & 0x0F);
        if (header.type == clap::kNoteOn)  // velocity 0 is a note on here, not a MIDI note off
          events.AddMidi(time, 0x90 | channel, static_cast<uint8_t>(e->key), std::max<uint8_t>(MidiByte(e->velocity), 1));
        else
          events.AddMidi(time, 0x80 | channel, static_cast<uint8_t>(e->key), MidiByte(e->velocity));
      }
      break;
    case clap::kMidi:
      if (const auto* e = As<clap::EventMidi>(header)) events.AddMidi(time, e->data[0], e->data[1], e->data[2]);
      break;
    case clap::kTransport:
      if (const auto* e = As<clap::EventTransport>(header))
        if (e->flags & clap::kTransportHasTempo) events.AddTempo(time, e->tempo);
      break;
    default:
      break;
  }
}

void BrumeClapPlugin::ReadEvents(const clap::InputEvents* in) {
  ForEachEvent(in, [this](const clap::EventHeader& header) { ReadEvent(header); });
}

template <typename Sample>
void BrumeClapPlugin::Render(const clap::Process& process, Sample** (*channels)(const clap::AudioBuffer&)) {
  const Sample* in[2] = {};
  Sample* out[2] = {};
  if (process.audio_inputs_count > 0 && process.audio_inputs && channels(process.audio_inputs[0]))
    for (uint32_t c = 0; c < 2 && c < process.audio_inputs[0].channel_count; ++c) in[c] = channels(process.audio_inputs[0])[c];
  if (process.audio_outputs_count > 0 && process.audio_outputs && channels(process.audio_outputs[0])) {
    for (uint32_t c = 0; c < 2 && c < process.audio_outputs[0].channel_count; ++c)
      out[c] = channels(process.audio_outputs[0])[c];
    process.audio_outputs[0].constant_mask = 0;
  }
  const int frames = out[0] || out[1] ? static_cast<int>(std::min<uint32_t>(process.frames_count, INT32_MAX)) : 0;
  if constexpr (std::is_same_v<Sample, float>)
    processor_.Process(in, out, frames, BrumeProcessor::Output::kReplace);
  else
    processor_.Process(in, out, frames);
}

int32_t BrumeClapPlugin::Process(const clap::Process& process) {
  BlockEventList& events = processor_.Events();
  // The tempo first: a full list drops a parameter point (whose value the
  // store still has) rather than it. No transport (or no tempo) is 120 BPM.
  const clap::EventTransport* transport = process.transport;
  events.AddTempo(0, transport && (transport->flags & clap::kTransportHasTempo) ? transport->tempo
                                                                                : BrumeProcessor::kDefaultTempo);
  bypass_.PlayRestored(events);
  ReadEvents(process.in_events);
  // 64-bit where the host gives both sides so, else 32-bit.
  const bool doubles = process.audio_outputs_count > 0 && process.audio_outputs && process.audio_outputs[0].data64 &&
                       !(process.audio_inputs_count > 0 && process.audio_inputs && process.audio_inputs[0].data32);
  if (doubles)
    Render<double>(process, &Channels64);
  else
    Render<float>(process, &Channels32);
  if (changesDropped_) {
    parameters_.MarkAllChanged();  // the next block applies every value from its start
    changesDropped_ = false;
  }
  bypass_.Note(processor_.Bypassed());
  EmitEdits(process.out_events);
  return clap::kProcessContinue;
}

void BrumeClapPlugin::Flush(const clap::InputEvents* in, const clap::OutputEvents* out) {
  if (active_) {
    // The audio thread, between process calls: a block of no frames plays
    // the events at once.
    ReadEvents(in);
    processor_.Process(static_cast<const float* const*>(nullptr), nullptr, 0, BrumeProcessor::Output::kReplace);
    bypass_.Note(processor_.Bypassed());
  } else {
    // The main thread, nothing processing: values go to the store, which
    // the engine takes at the next block's start.
    ForEachEvent(in, [this](const clap::EventHeader& header) {
      const auto* e = header.space_id == clap::kCoreEventSpace && header.type == clap::kParamValue
                          ? As<clap::EventParamValue>(header)
                          : nullptr;
      if (!e || std::isnan(e->value)) return;
      if (e->param_id == kBypassParamId)
        bypass_.Restore(e->value >= 0.5);
      else if (e->param_id < static_cast<uint32_t>(kParameterCount))
        parameters_.SetClamped(static_cast<int>(e->param_id), e->value);
    });
  }
  EmitEdits(out);
}

void BrumeClapPlugin::EmitEdits(const clap::OutputEvents* out) {
  edits_.Drain([out](const EditQueue::Edit& edit) {
    if (!out || !out->try_push) return;
    if (edit.kind == EditQueue::Kind::kValue) {
      clap::EventParamValue event{};
      event.header = {sizeof event, 0, clap::kCoreEventSpace, clap::kParamValue, 0};
      event.param_id = edit.id;
      event.note_id = -1;
      event.port_index = event.channel = event.key = -1;
      event.value = edit.value;
      out->try_push(out, &event.header);
    } else {
      clap::EventParamGesture event{};
      const uint16_t type = edit.kind == EditQueue::Kind::kBegin ? clap::kParamGestureBegin : clap::kParamGestureEnd;
      event.header = {sizeof event, 0, clap::kCoreEventSpace, type, 0};
      event.param_id = edit.id;
      out->try_push(out, &event.header);
    }
  });
}

// ---- Editor edits ------------------------------------------------------------

void BrumeClapPlugin::RequestFlush() const {
  if (hostParams_ && hostParams_->request_flush) hostParams_->request_flush(host_);
}

void BrumeClapPlugin::HostBeginEdit(int index) {
  edits_.Push({EditQueue::Kind::kBegin, static_cast<uint32_t>(index), 0.0});
  RequestFlush();
}

void BrumeClapPlugin::HostPerformEdit(int index, double) {
  edits_.Push({EditQueue::Kind::kValue, static_cast<uint32_t>(index), parameters_.Parameter(index)->Value()});
  RequestFlush();
}

void BrumeClapPlugin::HostEndEdit(int index) {
  edits_.Push({EditQueue::Kind::kEnd, static_cast<uint32_t>(index), 0.0});
  RequestFlush();
}

// ---- State -----------------------------------------------------------------

bool BrumeClapPlugin::Save(const clap::OutputStream* stream) const {
  if (!stream || !stream->write) return false;
  IStateChunk chunk;
  if (!WriteBrumeState(bank_, bypass_.On(), chunk)) return false;
  // Hosts may take fewer bytes per call.
  for (int at = 0; at < chunk.Size();) {
    const int64_t written = stream->write(stream, chunk.Data() + at, static_cast<uint64_t>(chunk.Size() - at));
    if (written <= 0 || written > chunk.Size() - at) return false;
    at += static_cast<int>(written);
  }
  return true;
}

bool BrumeClapPlugin::Load(const clap::InputStream* stream) {
  if (!stream || !stream->read) return false;
  IStateChunk chunk;
  uint8_t buffer[4096];
  for (;;) {
    const int64_t got = stream->read(stream, buffer, sizeof buffer);
    if (got == 0) break;
    if (got < 0 || got > static_cast<int64_t>(sizeof buffer)) return false;
    if (chunk.Size() + got > kMaxStateBytes || !chunk.AppendBytes(buffer, static_cast<int>(got))) return false;
  }
  bool bypassed = false;
  if (!ReadBrumeState(bank_, chunk, &bypassed)) return false;
  bypass_.Restore(bypassed);
  return true;
}

// ---- Editor ------------------------------------------------------------------

bool BrumeClapPlugin::CreateEditor(const char* api, bool floating) {
  if (floating || !api || std::strcmp(api, kWindowApi) != 0) return false;
  if (editor_) return true;
  editor_ = EditorLayout::BuildEditor(*this);
  if (!editor_) return false;
  // A new scale chosen in the editor asks the host for room.
  editor_->SetResizeListener([this](int width, int height) {
    if (hostGui_ && hostGui_->request_resize && editor_ && editor_->GetWindow())
      hostGui_->request_resize(host_, static_cast<uint32_t>(width), static_cast<uint32_t>(height));
  });
  return true;
}

void BrumeClapPlugin::DestroyEditor() {
  HideEditor();
  editor_.reset();  // ends an edit a destroyed editor cuts short
  parent_ = nullptr;
}

bool BrumeClapPlugin::SetParent(const clap::Window* window) {
  if (!editor_ || !window) return false;
#ifdef _WIN32
  parent_ = window->win32;
#else
  parent_ = reinterpret_cast<void*>(static_cast<uintptr_t>(window->x11));
#endif
  HideEditor();
  return ShowEditor();
}

bool BrumeClapPlugin::ShowEditor() {
  if (!editor_ || !parent_) return false;
  if (!editor_->GetWindow() && !editor_->OpenWindow(parent_)) return false;
  Listen();
  return true;
}

void BrumeClapPlugin::HideEditor() {
  StopListening();
  // Closing ends a drag the host cut short (with its gesture end).
  if (editor_ && editor_->GetWindow()) editor_->CloseWindow();
}

// Linux: no thread of the editor's own; the host's timer redraws and its
// fd watch hands over the X connection's events. Windows has timers of its
// own in the window.
void BrumeClapPlugin::Listen() {
#ifndef _WIN32
  if (timer_ == clap::kInvalidId && hostTimers_ && hostTimers_->register_timer) {
    uint32_t id = clap::kInvalidId;
    if (hostTimers_->register_timer(host_, kTimerMilliseconds, &id)) timer_ = id;
  }
  const int fd = editor_ ? editor_->EventDescriptor() : -1;
  if (fd_ < 0 && fd >= 0 && hostFds_ && hostFds_->register_fd && hostFds_->register_fd(host_, fd, clap::kFdRead))
    fd_ = fd;
#endif
}

void BrumeClapPlugin::StopListening() {
  if (timer_ != clap::kInvalidId && hostTimers_ && hostTimers_->unregister_timer)
    hostTimers_->unregister_timer(host_, timer_);
  timer_ = clap::kInvalidId;
  if (fd_ >= 0 && hostFds_ && hostFds_->unregister_fd) hostFds_->unregister_fd(host_, fd_);
  fd_ = -1;
}

void BrumeClapPlugin::Idle() {
  if (editor_ && editor_->GetWindow()) editor_->IdleWindow();
}

// ---- Extensions ----------------------------------------------------------------

const void* BrumeClapPlugin::Extension(const char* id) const {
  static const clap::PluginAudioPorts audioPorts = {
      [](const clap::Plugin*, bool) -> uint32_t { return 1; },
      [](const clap::Plugin*, uint32_t index, bool isInput, clap::AudioPortInfo* info) {
        if (index != 0 || !info) return false;
        std::memset(info, 0, sizeof *info);
        info->id = 0;
        std::strcpy(info->name, isInput ? "Stereo In" : "Stereo Out");
        info->flags = clap::kAudioPortIsMain | clap::kAudioPortSupports64Bits;
        info->channel_count = 2;
        info->port_type = "stereo";
        info->in_place_pair = 0;  // the other direction's port, id 0
        return true;
      }};
  static const clap::PluginNotePorts notePorts = {
      [](const clap::Plugin*, bool isInput) -> uint32_t { return isInput ? 1 : 0; },
      [](const clap::Plugin*, uint32_t index, bool isInput, clap::NotePortInfo* info) {
        if (index != 0 || !isInput || !info) return false;
        std::memset(info, 0, sizeof *info);
        info->supported_dialects = clap::kNoteDialectClap | clap::kNoteDialectMidi;
        info->preferred_dialect = clap::kNoteDialectClap;
        std::strcpy(info->name, "MIDI In");
        return true;
      }};
  static const clap::PluginParams params = {
      [](const clap::Plugin*) { return kParamCount; },
      [](const clap::Plugin* p, uint32_t index, clap::ParamInfo* info) {
        return info && Describe(Self(p).parameters_, index, *info);
      },
      [](const clap::Plugin* p, uint32_t id, double* value) {
        if (!value) return false;
        BrumeClapPlugin& self = Self(p);
        if (id == kBypassParamId) {
          *value = self.bypass_.On() ? 1.0 : 0.0;
          return true;
        }
        const IParameter* parameter = EffectParameter(self.parameters_, id);
        if (parameter) *value = parameter->Value();
        return parameter != nullptr;
      },
      [](const clap::Plugin* p, uint32_t id, double value, char* text, uint32_t capacity) {
        return ValueToText(Self(p).parameters_, id, value, text, capacity);
      },
      [](const clap::Plugin* p, uint32_t id, const char* text, double* value) {
        return TextToValue(Self(p).parameters_, id, text, value);
      },
      [](const clap::Plugin* p, const clap::InputEvents* in, const clap::OutputEvents* out) { Self(p).Flush(in, out); }};
  static const clap::PluginState state = {
      [](const clap::Plugin* p, const clap::OutputStream* stream) { return Self(p).Save(stream); },
      [](const clap::Plugin* p, const clap::InputStream* stream) { return Self(p).Load(stream); }};
  static const clap::PluginLatency latency = {[](const clap::Plugin*) -> uint32_t { return 0; }};
  static const clap::PluginGui gui = {
      [](const clap::Plugin*, const char* api, bool floating) {
        return !floating && api && std::strcmp(api, kWindowApi) == 0;
      },
      [](const clap::Plugin*, const char** api, bool* floating) {
        if (!api || !floating) return false;
        *api = kWindowApi;
        *floating = false;
        return true;
      },
      [](const clap::Plugin* p, const char* api, bool floating) { return Self(p).CreateEditor(api, floating); },
      [](const clap::Plugin* p) { Self(p).DestroyEditor(); },
      [](const clap::Plugin* p, double scale) {
        BrumeClapPlugin& self = Self(p);
        if (!self.editor_ || !(scale > 0.0)) return false;
        self.editor_->SetHostScale(scale);  // an open window that changes size asks the host for room
        return true;
      },
      [](const clap::Plugin* p, uint32_t* width, uint32_t* height) {
        BrumeClapPlugin& self = Self(p);
        if (!self.editor_ || !width || !height) return false;
        // Closed, the system's scale is asked for, so the host makes room
        // for what set_parent will open.
        if (!self.editor_->GetWindow()) self.editor_->QuerySystemScale();
        *width = static_cast<uint32_t>(self.editor_->Width());
        *height = static_cast<uint32_t>(self.editor_->Height());
        return true;
      },
      [](const clap::Plugin*) { return false; },
      [](const clap::Plugin*, clap::GuiResizeHints*) { return false; },
      // One size per scale: the host is told the size there is.
      [](const clap::Plugin* p, uint32_t* width, uint32_t* height) {
        BrumeClapPlugin& self = Self(p);
        if (!self.editor_ || !width || !height) return false;
        *width = static_cast<uint32_t>(self.editor_->Width());
        *height = static_cast<uint32_t>(self.editor_->Height());
        return true;
      },
      [](const clap::Plugin* p, uint32_t width, uint32_t height) {
        BrumeClapPlugin& self = Self(p);
        return self.editor_ && width == static_cast<uint32_t>(self.editor_->Width()) &&
               height == static_cast<uint32_t>(self.editor_->Height());
      },
      [](const clap::Plugin* p, const clap::Window* window) { return Self(p).SetParent(window); },
      [](const clap::Plugin*, const clap::Window*) { return false; },
      [](const clap::Plugin*, const char*) {},
      [](const clap::Plugin* p) { return Self(p).ShowEditor(); },
      [](const clap::Plugin* p) {
        Self(p).HideEditor();
        return true;
      }};
  static const clap::PluginTimerSupport timers = {[](const clap::Plugin* p, uint32_t id) {
    if (id == Self(p).timer_) Self(p).Idle();
  }};
  static const clap::PluginPosixFdSupport fds = {[](const clap::Plugin* p, int fd, uint32_t) {
    if (fd == Self(p).fd_) Self(p).Idle();
  }};
  if (std::strcmp(id, clap::kAudioPortsId) == 0) return &audioPorts;
  if (std::strcmp(id, clap::kNotePortsId) == 0) return &notePorts;
  if (std::strcmp(id, clap::kParamsId) == 0) return &params;
  if (std::strcmp(id, clap::kStateId) == 0) return &state;
  if (std::strcmp(id, clap::kLatencyId) == 0) return &latency;
  if (std::strcmp(id, clap::kGuiId) == 0) return &gui;
#ifndef _WIN32
  if (std::strcmp(id, clap::kTimerSupportId) == 0) return &timers;
  if (std::strcmp(id, clap::kPosixFdSupportId) == 0) return &fds;
#endif
  (void)timers, (void)fds;
  return nullptr;
}

}  // namespace brume_clap
