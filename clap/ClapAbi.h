#pragma once
// The parts of the CLAP 1.2 plug-in ABI Brume uses, declared from the
// published facts (sizes and offsets are checked below): the entry, the
// plug-in factory, the descriptor, the plug-in and host records, processing
// and events, and the extensions audio-ports, note-ports, params, state,
// latency, gui, timer-support and posix-fd-support. Plain C layouts, the
// same on Linux and Windows x64 (x86_64 has one calling convention per
// platform, which every table below uses).
#include <cstddef>
#include <cstdint>

namespace clap {

constexpr uint32_t kInvalidId = 0xFFFFFFFFu;
constexpr int kNameSize = 256;
constexpr int kPathSize = 1024;

struct Version {
  uint32_t major, minor, revision;
};
constexpr Version kVersion{1, 2, 10};

struct Host;
struct Plugin;

struct PluginEntry {
  Version version;
  bool (*init)(const char* pluginPath);
  void (*deinit)();
  const void* (*get_factory)(const char* factoryId);
};

constexpr const char* kPluginFactoryId = "clap.plugin-factory";

struct PluginDescriptor {
  Version version;
  const char* id;
  const char* name;
  const char* vendor;
  const char* url;
  const char* manual_url;
  const char* support_url;
  const char* version_text;
  const char* description;
  const char* const* features;
};

struct PluginFactory {
  uint32_t (*get_plugin_count)(const PluginFactory* self);
  const PluginDescriptor* (*get_plugin_descriptor)(const PluginFactory* self, uint32_t index);
  const Plugin* (*create_plugin)(const PluginFactory* self, const Host* host, const char* pluginId);
};

struct Host {
  Version version;
  void* host_data;
  const char* name;
  const char* vendor;
  const char* url;
  const char* version_text;
  const void* (*get_extension)(const Host* host, const char* extensionId);
  void (*request_restart)(const Host* host);
  void (*request_process)(const Host* host);
  void (*request_callback)(const Host* host);
};

// ---- Events ----------------------------------------------------------------
constexpr uint16_t kCoreEventSpace = 0;
enum EventType : uint16_t {
  kNoteOn = 0,
  kNoteOff = 1,
  kNoteChoke = 2,
  kNoteEnd = 3,
  kNoteExpression = 4,
  kParamValue = 5,
  kParamMod = 6,
  kParamGestureBegin = 7,
  kParamGestureEnd = 8,
  kTransport = 9,
  kMidi = 10,
  kMidiSysex = 11,
  kMidi2 = 12,
};
constexpr uint32_t kEventIsLive = 1, kEventDontRecord = 2;

struct EventHeader {
  uint32_t size;
  uint32_t time;
  uint16_t space_id;
  uint16_t type;
  uint32_t flags;
};

struct EventNote {
  EventHeader header;
  int32_t note_id;
  int16_t port_index;
  int16_t channel;
  int16_t key;
  double velocity;
};

struct EventParamValue {
  EventHeader header;
  uint32_t param_id;
  void* cookie;
  int32_t note_id;
  int16_t port_index;
  int16_t channel;
  int16_t key;
  double value;
};

struct EventParamGesture {
  EventHeader header;
  uint32_t param_id;
};

constexpr uint32_t kTransportHasTempo = 1;
struct EventTransport {
  EventHeader header;
  uint32_t flags;
  int64_t song_pos_beats;
  int64_t song_pos_seconds;
  double tempo;
  double tempo_inc;
  int64_t loop_start_beats;
  int64_t loop_end_beats;
  int64_t loop_start_seconds;
  int64_t loop_end_seconds;
  int64_t bar_start;
  int32_t bar_number;
  uint16_t tsig_num;
  uint16_t tsig_denom;
};

struct EventMidi {
  EventHeader header;
  uint16_t port_index;
  uint8_t data[3];
};

struct InputEvents {
  void* ctx;
  uint32_t (*size)(const InputEvents* list);
  const EventHeader* (*get)(const InputEvents* list, uint32_t index);
};

struct OutputEvents {
  void* ctx;
  bool (*try_push)(const OutputEvents* list, const EventHeader* event);
};

// ---- Processing ------------------------------------------------------------
struct AudioBuffer {
  float** data32;
  double** data64;
  uint32_t channel_count;
  uint32_t latency;
  uint64_t constant_mask;
};

struct Process {
  int64_t steady_time;
  uint32_t frames_count;
  const EventTransport* transport;
  const AudioBuffer* audio_inputs;
  AudioBuffer* audio_outputs;
  uint32_t audio_inputs_count;
  uint32_t audio_outputs_count;
  const InputEvents* in_events;
  const OutputEvents* out_events;
};

enum ProcessStatus : int32_t { kProcessError = 0, kProcessContinue = 1, kProcessContinueIfNotQuiet = 2 };

struct Plugin {
  const PluginDescriptor* desc;
  void* plugin_data;
  bool (*init)(const Plugin* plugin);
  void (*destroy)(const Plugin* plugin);
  bool (*activate)(const Plugin* plugin, double sampleRate, uint32_t minFrames, uint32_t maxFrames);
  void (*deactivate)(const Plugin* plugin);
  bool (*start_processing)(const Plugin* plugin);
  void (*stop_processing)(const Plugin* plugin);
  void (*reset)(const Plugin* plugin);
  int32_t (*process)(const Plugin* plugin, const Process* process);
  const void* (*get_extension)(const Plugin* plugin, const char* id);
  void (*on_main_thread)(const Plugin* plugin);
};

// ---- Extensions --------------------------------------------------------------
constexpr const char* kAudioPortsId = "clap.audio-ports";
constexpr uint32_t kAudioPortIsMain = 1, kAudioPortSupports64Bits = 2;
struct AudioPortInfo {
  uint32_t id;
  char name[kNameSize];
  uint32_t flags;
  uint32_t channel_count;
  const char* port_type;
  uint32_t in_place_pair;
};
struct PluginAudioPorts {
  uint32_t (*count)(const Plugin* plugin, bool isInput);
  bool (*get)(const Plugin* plugin, uint32_t index, bool isInput, AudioPortInfo* info);
};

constexpr const char* kNotePortsId = "clap.note-ports";
constexpr uint32_t kNoteDialectClap = 1, kNoteDialectMidi = 2;
struct NotePortInfo {
  uint32_t id;
  uint32_t supported_dialects;
  uint32_t preferred_dialect;
  char name[kNameSize];
};
struct PluginNotePorts {
  uint32_t (*count)(const Plugin* plugin, bool isInput);
  bool (*get)(const Plugin* plugin, uint32_t index, bool isInput, NotePortInfo* info);
};

constexpr const char* kParamsId = "clap.params";
enum ParamFlags : uint32_t {
  kParamIsStepped = 0x1,
  kParamIsBypass = 0x10,
  kParamIsAutomatable = 0x20,
  kParamIsEnum = 0x10000,
};
struct ParamInfo {
  uint32_t id;
  uint32_t flags;
  void* cookie;
  char name[kNameSize];
  char module[kPathSize];
  double min_value;
  double max_value;
  double default_value;
};
struct PluginParams {
  uint32_t (*count)(const Plugin* plugin);
  bool (*get_info)(const Plugin* plugin, uint32_t index, ParamInfo* info);
  bool (*get_value)(const Plugin* plugin, uint32_t id, double* value);
  bool (*value_to_text)(const Plugin* plugin, uint32_t id, double value, char* text, uint32_t capacity);
  bool (*text_to_value)(const Plugin* plugin, uint32_t id, const char* text, double* value);
  void (*flush)(const Plugin* plugin, const InputEvents* in, const OutputEvents* out);
};
struct HostParams {
  void (*rescan)(const Host* host, uint32_t flags);
  void (*clear)(const Host* host, uint32_t id, uint32_t flags);
  void (*request_flush)(const Host* host);
};

constexpr const char* kStateId = "clap.state";
struct InputStream {
  void* ctx;
  int64_t (*read)(const InputStream* stream, void* buffer, uint64_t size);
};
struct OutputStream {
  void* ctx;
  int64_t (*write)(const OutputStream* stream, const void* buffer, uint64_t size);
};
struct PluginState {
  bool (*save)(const Plugin* plugin, const OutputStream* stream);
  bool (*load)(const Plugin* plugin, const InputStream* stream);
};
struct HostState {
  void (*mark_dirty)(const Host* host);
};

constexpr const char* kLatencyId = "clap.latency";
struct PluginLatency {
  uint32_t (*get)(const Plugin* plugin);
};

constexpr const char* kGuiId = "clap.gui";
constexpr const char* kWindowApiX11 = "x11";
constexpr const char* kWindowApiWin32 = "win32";
struct Window {
  const char* api;
  union {
    void* cocoa;
    unsigned long x11;
    void* win32;
    void* ptr;
  };
};
struct GuiResizeHints {
  bool can_resize_horizontally;
  bool can_resize_vertically;
  bool preserve_aspect_ratio;
  uint32_t aspect_ratio_width;
  uint32_t aspect_ratio_height;
};
struct PluginGui {
  bool (*is_api_supported)(const Plugin* plugin, const char* api, bool isFloating);
  bool (*get_preferred_api)(const Plugin* plugin, const char** api, bool* isFloating);
  bool (*create)(const Plugin* plugin, const char* api, bool isFloating);
  void (*destroy)(const Plugin* plugin);
  bool (*set_scale)(const Plugin* plugin, double scale);
  bool (*get_size)(const Plugin* plugin, uint32_t* width, uint32_t* height);
  bool (*can_resize)(const Plugin* plugin);
  bool (*get_resize_hints)(const Plugin* plugin, GuiResizeHints* hints);
  bool (*adjust_size)(const Plugin* plugin, uint32_t* width, uint32_t* height);
  bool (*set_size)(const Plugin* plugin, uint32_t width, uint32_t height);
  bool (*set_parent)(const Plugin* plugin, const Window* window);
  bool (*set_transient)(const Plugin* plugin, const Window* window);
  void (*suggest_title)(const Plugin* plugin, const char* title);
  bool (*show)(const Plugin* plugin);
  bool (*hide)(const Plugin* plugin);
};
struct HostGui {
  void (*resize_hints_changed)(const Host* host);
  bool (*request_resize)(const Host* host, uint32_t width, uint32_t height);
  bool (*request_show)(const Host* host);
  bool (*request_hide)(const Host* host);
  void (*closed)(const Host* host, bool wasDestroyed);
};

constexpr const char* kTimerSupportId = "clap.timer-support";
struct PluginTimerSupport {
  void (*on_timer)(const Plugin* plugin, uint32_t timerId);
};
struct HostTimerSupport {
  bool (*register_timer)(const Host* host, uint32_t periodMs, uint32_t* timerId);
  bool (*unregister_timer)(const Host* host, uint32_t timerId);
};

constexpr const char* kPosixFdSupportId = "clap.posix-fd-support";
constexpr uint32_t kFdRead = 1;
struct PluginPosixFdSupport {
  void (*on_fd)(const Plugin* plugin, int fd, uint32_t flags);
};
struct HostPosixFdSupport {
  bool (*register_fd)(const Host* host, int fd, uint32_t flags);
  bool (*modify_fd)(const Host* host, int fd, uint32_t flags);
  bool (*unregister_fd)(const Host* host, int fd);
};

// The layouts as the facts give them, on both targets.
static_assert(sizeof(PluginEntry) == 40 && offsetof(PluginEntry, init) == 16, "clap_plugin_entry");
static_assert(sizeof(PluginDescriptor) == 88 && offsetof(PluginDescriptor, features) == 80, "descriptor");
static_assert(sizeof(Plugin) == 96 && offsetof(Plugin, on_main_thread) == 88, "clap_plugin");
static_assert(sizeof(Host) == 88 && offsetof(Host, request_callback) == 80, "clap_host");
static_assert(sizeof(Process) == 64 && offsetof(Process, out_events) == 56, "clap_process");
static_assert(sizeof(AudioBuffer) == 32 && offsetof(AudioBuffer, constant_mask) == 24, "clap_audio_buffer");
static_assert(sizeof(EventHeader) == 16, "clap_event_header");
static_assert(sizeof(EventNote) == 40 && offsetof(EventNote, key) == 24 && offsetof(EventNote, velocity) == 32,
              "clap_event_note");
static_assert(sizeof(EventParamValue) == 56 && offsetof(EventParamValue, value) == 48, "clap_event_param_value");
static_assert(sizeof(EventParamGesture) == 20, "clap_event_param_gesture");
static_assert(sizeof(EventTransport) == 104 && offsetof(EventTransport, tempo) == 40 &&
                  offsetof(EventTransport, tsig_denom) == 102,
              "clap_event_transport");
static_assert(sizeof(EventMidi) == 24 && offsetof(EventMidi, data) == 18, "clap_event_midi");
static_assert(sizeof(AudioPortInfo) == 288 && offsetof(AudioPortInfo, port_type) == 272, "clap_audio_port_info");
static_assert(sizeof(NotePortInfo) == 268, "clap_note_port_info");
static_assert(sizeof(ParamInfo) == 1320 && offsetof(ParamInfo, module) == 272 && offsetof(ParamInfo, min_value) == 1296,
              "clap_param_info");
static_assert(sizeof(PluginParams) == 48 && sizeof(PluginGui) == 120 && sizeof(HostGui) == 40, "tables");
static_assert(sizeof(Window) == 16 && sizeof(GuiResizeHints) == 12, "clap_window");

}  // namespace clap
