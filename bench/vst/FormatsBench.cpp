// The same programs through the three plug-in formats, driven as hosts
// drive them: Brume.so through its VST effect record (effSetProgram,
// processReplacing), brume_dsp.so through its LV2 descriptor (the
// program's values on the control ports, run()) and the VST3 module
// through its processor (the program parameter, process()). 512-frame
// blocks of the same noise at 48 kHz; the figure is CPU time per stereo
// frame. BM_Vst3Automation prices VST3 automation: blocks with 8 parameter
// changes at offsets inside them, or dense automation, against blocks with
// none.
#include <benchmark/benchmark.h>
#include <dlfcn.h>
#include <lv2/core/lv2.h>

#include <vector>

#include "effect/FactoryPresets.h"
#include "effect/ParameterIds.h"
#include "lv2/BrumeLv2Ids.h"
#include "tests/vst/PluginFile.h"
#include "tests/vst3/Vst3Host.h"

namespace {

constexpr int kBlock = 512;
constexpr double kRate = 48000.0;

VstIntPtr SilentHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
  return opcode == audioMasterVersion ? 2400 : 0;
}

struct Noise {
  std::vector<float> left, right;
  Noise() : left(kBlock), right(kBlock) {
    uint32_t n = 99;
    for (int i = 0; i < kBlock; ++i) {
      left[i] = static_cast<float>((n = n * 1664525u + 1013904223u) >> 8) / 16777216.0f - 0.5f;
      right[i] = static_cast<float>((n = n * 1664525u + 1013904223u) >> 8) / 16777216.0f - 0.5f;
    }
  }
};

// Seconds of CPU per stereo frame (shown with an SI prefix, e.g. 69n).
void Report(benchmark::State& state) {
  state.counters["per_frame"] =
      benchmark::Counter(kBlock, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_Vst(benchmark::State& state) {
  static PluginFile file;
  AEffect* effect = file.Loaded() ? file.Main()(&SilentHost) : nullptr;
  if (!effect) return state.SkipWithError("cannot load Brume.so");
  Dispatch(effect, effOpen);
  Dispatch(effect, effSetSampleRate, 0, 0, nullptr, static_cast<float>(kRate));
  Dispatch(effect, effSetBlockSize, 0, kBlock);
  Dispatch(effect, effSetProgram, 0, state.range(0));
  Dispatch(effect, effMainsChanged, 0, 1);
  Noise in;
  std::vector<float> outL(kBlock), outR(kBlock);
  float* ins[2] = {in.left.data(), in.right.data()};
  float* outs[2] = {outL.data(), outR.data()};
  for (auto _ : state) {
    effect->processReplacing(effect, ins, outs, kBlock);
    benchmark::DoNotOptimize(outL[kBlock - 1]);
  }
  Report(state);
  Dispatch(effect, effClose);
}

void BM_Lv2(benchmark::State& state) {
  static void* library = dlopen(BRUME_DSP_PATH, RTLD_NOW | RTLD_LOCAL);
  auto entry = library ? reinterpret_cast<LV2_Descriptor_Function>(dlsym(library, "lv2_descriptor")) : nullptr;
  const LV2_Descriptor* descriptor = entry ? entry(0) : nullptr;
  if (!descriptor) return state.SkipWithError("cannot load brume_dsp.so");
  const LV2_Feature* features[] = {nullptr};
  LV2_Handle plugin = descriptor->instantiate(descriptor, kRate, "", features);
  double values[kParameterCount];
  FactoryPresetValues(static_cast<int>(state.range(0)), values);
  float controls[kParameterCount];
  for (int i = 0; i < kParameterCount; ++i) {
    controls[i] = static_cast<float>(values[i]);
    descriptor->connect_port(plugin, brume_lv2::PortOfParameter(i), &controls[i]);
  }
  Noise in;
  std::vector<float> outL(kBlock), outR(kBlock);
  descriptor->connect_port(plugin, brume_lv2::kAudioInLeft, in.left.data());
  descriptor->connect_port(plugin, brume_lv2::kAudioInRight, in.right.data());
  descriptor->connect_port(plugin, brume_lv2::kAudioOutLeft, outL.data());
  descriptor->connect_port(plugin, brume_lv2::kAudioOutRight, outR.data());
  descriptor->connect_port(plugin, brume_lv2::kControlIn, nullptr);
  descriptor->activate(plugin);
  for (auto _ : state) {
    descriptor->run(plugin, kBlock);
    benchmark::DoNotOptimize(outL[kBlock - 1]);
  }
  Report(state);
  descriptor->deactivate(plugin);
  descriptor->cleanup(plugin);
}

// The VST3 module on a factory program, then timed blocks, each with the
// changes of sets[0] and sets[1] in turn when sets are given.
void RunVst3(benchmark::State& state, int program, vst3_host::ParameterChanges* sets = nullptr) {
  vst3_host::Module module(BRUME_VST3_PATH);
  vst3_host::Instance plugin(module.Factory());
  if (!plugin.Valid() || !plugin.Setup(kRate, kBlock)) return state.SkipWithError("cannot load Brume.vst3");
  Noise in;
  std::vector<float> outL(kBlock), outR(kBlock);
  float* ins[2] = {in.left.data(), in.right.data()};
  float* outs[2] = {outL.data(), outR.data()};
  vst3_host::ParameterChanges choice;
  choice.Add(brume_vst3::kProgramId, 0, static_cast<double>(program) / (kFactoryPresetCount - 1));
  plugin.Process(ins, outs, kBlock, &choice);
  int block = 0;
  for (auto _ : state) {
    plugin.Process(ins, outs, kBlock, sets ? &sets[block++ & 1] : nullptr);
    benchmark::DoNotOptimize(outL[kBlock - 1]);
  }
  Report(state);
}

void BM_Vst3(benchmark::State& state) { RunVst3(state, static_cast<int>(state.range(0))); }

// "filtered delay" with 0 or 8 changes per block, one every 64 frames,
// moving between two sets of values so that every change is a real one.
// Dense: that many parameters from the first on (all 106: 3 392 changes
// per block) get a point every 16 frames, as from a host that sends
// curves as points.
void BM_Vst3Automation(benchmark::State& state) {
  vst3_host::ParameterChanges sets[2];
  const int automated[] = {kFilterFreq1, kFilterFreq2, kGain, kDryWetMix, kPan1, kPan2, kDelayFeedback1, kLfoRate1};
  const int changes = static_cast<int>(state.range(0));
  const bool dense = state.range(1) != 0;
  for (int k = 0; k < changes; ++k)
    for (int s = 0; s < 2; ++s)
      for (int at = dense ? 0 : 64 * k; at <= (dense ? kBlock - 16 : 64 * k); at += 16)
        sets[s].Add(static_cast<vst3::ParamID>(dense ? k : automated[k]), at, s ? 0.6 : 0.3);
  RunVst3(state, 17, sets);
}

// Init, HP Sweep, Walking Delay, filtered delay, crushed delay.
void Programs(benchmark::internal::Benchmark* b) {
  b->ArgName("program");
  for (int program : {0, 3, 6, 17, 19}) b->Arg(program);
  b->MinTime(1.0)->Repetitions(5)->ReportAggregatesOnly(true);
}

BENCHMARK(BM_Vst)->Apply(Programs);
BENCHMARK(BM_Lv2)->Apply(Programs);
BENCHMARK(BM_Vst3)->Apply(Programs);
BENCHMARK(BM_Vst3Automation)
    ->ArgNames({"changes", "dense"})
    ->Args({0, 0})
    ->Args({8, 0})
    ->Args({8, 1})
    ->Args({kParameterCount, 1})
    ->MinTime(1.0)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

}  // namespace
