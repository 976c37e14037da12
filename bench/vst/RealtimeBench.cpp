// What the host's threads cost each other, measured on Brume.so loaded
// from its file and driven only through the VST 2.4 interface (so the same
// program measures the plug-in before and after a rework of its core):
//
// - BlockTimes/loading:N  block time percentiles of 256-frame blocks at
//   48 kHz, run back to back for KESTREL_BENCH_SECONDS (3 s by default),
//   with N = 1 another thread loading banks, program chunks and programs in
//   a loop, N = 0 without it. Reports only; it judges nothing.
// - SetParameter/editor:N  one setParameter call, cycling through the
//   parameters and values, with the editor closed (0) or open (1: needs an
//   X display, e.g. under xvfb-run; skipped without one).
// - ProcessFrame  one stereo frame of the default program (64-frame blocks).
// - AutomationPerChange/editor:N  8 setParameter calls before every
//   64-frame block against the blocks alone, per change in ns and in frames.
#include <benchmark/benchmark.h>

#include <X11/Xlib.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <thread>
#include <vector>

#include "tests/vst/PluginFile.h"

namespace {
using Clock = std::chrono::steady_clock;

VstTimeInfo g_time = [] {
  VstTimeInfo t{};
  t.sampleRate = 48000.0;
  t.tempo = 120.0;
  t.flags = kVstTempoValid | kVstTransportPlaying;
  return t;
}();

// Answers only what processing asks; the benchmark has no use for the rest.
VstIntPtr BenchHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
  return opcode == audioMasterGetTime ? reinterpret_cast<VstIntPtr>(&g_time) : 0;
}

const PluginFile& Plugin() {
  static const PluginFile* file = new PluginFile;  // kept loaded, as hosts keep plug-ins
  return *file;
}

// One connection for the whole run: a server started without -noreset
// (xvfb-run) resets when its last client leaves, and an editor opened
// during that reset fails.
Display* HostDisplay() {
  static Display* display = XOpenDisplay(nullptr);
  return display;
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0.0 : v[v.size() / 2];
}

// A started instance on its default program, stereo noise in, and
// optionally its editor open in a window of its own X display.
class Instance {
 public:
  explicit Instance(int blockSize) : in_(2 * blockSize), out_(2 * blockSize), block_(blockSize) {
    if (Plugin().Loaded()) effect_ = Plugin().Main()(&BenchHost);
    if (!effect_) return;
    Dispatch(effect_, effOpen);
    Dispatch(effect_, effSetSampleRate, 0, 0, nullptr, 48000.0f);
    Dispatch(effect_, effSetBlockSize, 0, blockSize);
    Dispatch(effect_, effMainsChanged, 0, 1);
    uint32_t seed = 7;
    for (float& v : in_) v = static_cast<float>((seed = seed * 1664525u + 1013904223u) >> 8) / 16777216.0f - 0.5f;
  }
  ~Instance() {
    if (!effect_) return;
    if (editorOpen_) Dispatch(effect_, effEditClose);
    if (display_) XDestroyWindow(display_, window_), XSync(display_, False);
    Dispatch(effect_, effMainsChanged, 0, 0);
    Dispatch(effect_, effClose);
  }
  AEffect* Effect() const { return effect_; }
  bool OpenEditor() {
    display_ = HostDisplay();
    if (!display_) return false;
    window_ = XCreateSimpleWindow(display_, DefaultRootWindow(display_), 0, 0, 815, 500, 0, 0, 0);
    XMapWindow(display_, window_);
    XSync(display_, False);
    editorOpen_ = Dispatch(effect_, effEditOpen, 0, 0, reinterpret_cast<void*>(window_)) == 1;
    if (editorOpen_) Dispatch(effect_, effEditIdle);  // draws once, as a host's first idle would
    return editorOpen_;
  }
  void Process() {
    float* ins[2] = {in_.data(), in_.data() + block_};
    float* outs[2] = {out_.data(), out_.data() + block_};
    effect_->processReplacing(effect_, ins, outs, block_);
    benchmark::DoNotOptimize(out_[block_ - 1]);
  }

 private:
  std::vector<float> in_, out_;
  int block_;
  AEffect* effect_ = nullptr;
  Display* display_ = nullptr;
  Window window_ = 0;
  bool editorOpen_ = false;
};

// Creates the instance the case needs, or marks the case skipped.
std::unique_ptr<Instance> Start(benchmark::State& state, int blockSize, bool editor) {
  auto instance = std::make_unique<Instance>(blockSize);
  if (!instance->Effect()) state.SkipWithError(("cannot load Brume: " + Plugin().Error()).c_str());
  else if (editor && !instance->OpenEditor()) state.SkipWithError("the editor needs an X display (run under xvfb-run)");
  else return instance;
  return nullptr;
}

double BenchSeconds() {
  const char* text = std::getenv("KESTREL_BENCH_SECONDS");
  const double seconds = text ? std::atof(text) : 0.0;
  return seconds > 0.0 ? seconds : 3.0;
}

std::vector<char> Chunk(AEffect* effect, int isProgram) {
  void* data = nullptr;
  const VstIntPtr size = Dispatch(effect, effGetChunk, isProgram, 0, &data);
  return size > 0 && data ? std::vector<char>(static_cast<char*>(data), static_cast<char*>(data) + size)
                          : std::vector<char>();
}

void BM_BlockTimes(benchmark::State& state) {
  constexpr int kBlock = 256;
  auto instance = Start(state, kBlock, false);
  if (!instance) return;
  AEffect* effect = instance->Effect();
  // What a host saved earlier: the bank and the current program.
  std::vector<char> bank = Chunk(effect, 0), program = Chunk(effect, 1);
  std::vector<double> blockUs;
  blockUs.reserve(size_t{1} << 22);  // growing it inside the loop would show as a slow block
  std::atomic<bool> stop{false};
  std::atomic<long> loads{0};
  for (auto _ : state) {
    std::thread loader;
    if (state.range(0))
      loader = std::thread([&] {
        for (long n = 0; !stop; ++n, ++loads) {
          if (n % 3 == 0) Dispatch(effect, effSetChunk, 0, static_cast<VstIntPtr>(bank.size()), bank.data());
          else if (n % 3 == 1) Dispatch(effect, effSetChunk, 1, static_cast<VstIntPtr>(program.size()), program.data());
          else Dispatch(effect, effSetProgram, 0, n % 20);
        }
      });
    const auto end = Clock::now() + std::chrono::duration<double>(BenchSeconds());
    for (auto start = Clock::now(); start < end;) {
      instance->Process();
      const auto done = Clock::now();
      blockUs.push_back(std::chrono::duration<double, std::micro>(done - start).count());
      start = done;
    }
    stop = true;
    if (loader.joinable()) loader.join();
  }
  std::sort(blockUs.begin(), blockUs.end());
  const auto at = [&](double q) { return blockUs[static_cast<size_t>(q * static_cast<double>(blockUs.size() - 1))]; };
  state.counters["median_us"] = at(0.5);
  state.counters["p99_us"] = at(0.99);
  state.counters["p999_us"] = at(0.999);
  state.counters["max_us"] = blockUs.back();
  state.counters["over_1ms"] = static_cast<double>(blockUs.end() - std::upper_bound(blockUs.begin(), blockUs.end(), 1000.0));
  state.counters["blocks"] = static_cast<double>(blockUs.size());
  state.counters["loads"] = static_cast<double>(loads.load());
}

void BM_SetParameter(benchmark::State& state) {
  auto instance = Start(state, 64, state.range(0) != 0);
  if (!instance) return;
  AEffect* effect = instance->Effect();
  int index = 0;
  float value = 0.0f;
  for (auto _ : state) {
    effect->setParameter(effect, index, value);
    index = (index + 7) % 106;
    value = value > 0.99f ? 0.0f : value + 0.013f;
  }
}

void BM_ProcessFrame(benchmark::State& state) {
  auto instance = Start(state, 64, false);
  if (!instance) return;
  for (auto _ : state) instance->Process();
  state.counters["ns_per_frame"] = benchmark::Counter(static_cast<double>(state.iterations() * 64),
                                                      benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

// Rounds of 64 blocks alone and 64 blocks after 8 changes each, taken in
// turn so that other load on the machine falls on both alike. The changes
// move each parameter a hair around its default value, so the program and
// with it the processing cost stay those of the default program.
void BM_AutomationPerChange(benchmark::State& state) {
  constexpr int kBlock = 64, kChanges = 8, kBlocksPerRound = 64;
  constexpr int kParameters = 106;
  auto instance = Start(state, kBlock, state.range(0) != 0);
  if (!instance) return;
  AEffect* effect = instance->Effect();
  std::vector<float> defaults(kParameters);
  for (int i = 0; i < kParameters; ++i) defaults[static_cast<size_t>(i)] = effect->getParameter(effect, i);
  std::vector<double> alone, changed;
  long change = 0;
  for (auto _ : state) {
    const auto t0 = Clock::now();
    for (int b = 0; b < kBlocksPerRound; ++b) instance->Process();
    const auto t1 = Clock::now();
    for (int b = 0; b < kBlocksPerRound; ++b) {
      for (int c = 0; c < kChanges; ++c, ++change) {
        const int index = static_cast<int>(change % kParameters);
        const float base = defaults[static_cast<size_t>(index)];
        const float nudge = (change / kParameters) % 2 ? 0.001f : 0.0f;
        effect->setParameter(effect, index, base < 0.5f ? base + nudge : base - nudge);
      }
      instance->Process();
    }
    const auto t2 = Clock::now();
    alone.push_back(std::chrono::duration<double, std::nano>(t1 - t0).count() / kBlocksPerRound);
    changed.push_back(std::chrono::duration<double, std::nano>(t2 - t1).count() / kBlocksPerRound);
  }
  const double block = Median(alone), withChanges = Median(changed);
  const double perChange = (withChanges - block) / kChanges, perFrame = block / kBlock;
  state.counters["block_ns"] = block;
  state.counters["block_8_changes_ns"] = withChanges;
  state.counters["ns_per_frame"] = perFrame;
  state.counters["per_change_ns"] = perChange;
  state.counters["per_change_frames"] = perChange / perFrame;
}

}  // namespace

BENCHMARK(BM_BlockTimes)->ArgName("loading")->Arg(0)->Arg(1)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SetParameter)->ArgName("editor")->Arg(0)->Arg(1)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_ProcessFrame)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_AutomationPerChange)->ArgName("editor")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
