// Cost of Kestrel's ProcessDouble per stereo frame for each factory preset,
// at 44.1 kHz with 512-frame blocks, the way a host calls it (one tempo
// request per block); preset -1 is every parameter at its
// default. FiltersOnly (the two filters' own chains) runs in the same
// program, and the table at the end gives every case as a ratio to it.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "bench/common/EngineCases.h"
#include "bench/common/RatioReporter.h"
#include "effect/FactoryPresets.h"
#include "effect/Kestrel.h"

namespace {

VstTimeInfo gTimeInfo;

// Answers the time request with 120 BPM, as a playing host would.
VstIntPtr BenchHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
  if (opcode != audioMasterGetTime) return 0;
  std::memset(&gTimeInfo, 0, sizeof gTimeInfo);
  gTimeInfo.sampleRate = 44100.0;
  gTimeInfo.tempo = 120.0;
  gTimeInfo.flags = kVstTempoValid;
  return reinterpret_cast<VstIntPtr>(&gTimeInfo);
}

using bench_support::kBlock;

void BM_ProcessDoublePerPreset(benchmark::State& state) {
  const int preset = static_cast<int>(state.range(0));
  Kestrel effect(&BenchHost);
  {
    IEffectBase::LockGuard lock(effect);
    effect.StoreSampleRate(44100.0);
    effect.SetBlockFrames(kBlock);
    effect.ClearProcessingState();
    effect.NotifyAllParametersChanged();
    if (preset >= 0) effect.LoadPreset(preset);
  }
  state.SetLabel(preset >= 0 ? effect.PresetName(preset) : "defaults");

  // Noise input, so every stage works on real signal.
  std::vector<double> inL(kBlock), inR(kBlock), outL(kBlock), outR(kBlock);
  uint32_t seed = 12345;
  for (int i = 0; i < kBlock; ++i) {
    seed = seed * 1664525u + 1013904223u;
    inL[i] = (seed >> 8) / double(1u << 24) - 0.5;
    seed = seed * 1664525u + 1013904223u;
    inR[i] = (seed >> 8) / double(1u << 24) - 0.5;
  }
  double* inputs[2] = {inL.data(), inR.data()};
  double* outputs[2] = {outL.data(), outR.data()};
  auto run = [&] {
    IEffectBase::LockGuard lock(effect);
    effect.ProcessDouble(inputs, outputs, kBlock);
  };
  // Let the modulators settle first (about one second).
  for (int b = 0; b < 44100 / kBlock; ++b) run();

  for (auto _ : state) {
    run();
    benchmark::DoNotOptimize(outL.data());
    benchmark::DoNotOptimize(outR.data());
    benchmark::ClobberMemory();
  }
  bench_support::ReportPerFrame(state);
}

BENCHMARK(bench_support::FiltersOnly)->Name("FiltersOnly")->Apply(bench_support::AddMinimum);
BENCHMARK(BM_ProcessDoublePerPreset)->DenseRange(-1, kFactoryPresetCount - 1)->Apply(bench_support::AddMinimum);

}  // namespace

int main(int argc, char** argv) {
  return bench_support::RunWithRatios(argc, argv, "BM_ProcessDoublePerPreset/");
}
