#pragma once
// Pieces shared by the engine and effect benchmarks: the FiltersOnly
// reference case, the noise input and the per-frame cost counter.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "engine/Engine.h"

namespace bench_support {

constexpr int kBlock = 512;
constexpr double kRate = 44100.0;

// Uniform noise in [-amplitude, amplitude), the same on every run.
inline std::vector<double> Noise(uint32_t seed, double amplitude) {
  std::vector<double> v(kBlock);
  for (double& x : v) {
    seed = seed * 1664525u + 1013904223u;
    x = ((seed >> 8) / double(1u << 24) * 2.0 - 1.0) * amplitude;
  }
  return v;
}

// ns_per_frame (what the ratio table reads) and x_realtime at 44.1 kHz.
inline void ReportPerFrame(benchmark::State& state) {
  const double frames = static_cast<double>(state.iterations()) * kBlock;
  state.counters["ns_per_frame"] =
      benchmark::Counter(frames * 1e-9, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
  state.counters["x_realtime"] = benchmark::Counter(frames / kRate, benchmark::Counter::kIsRate);
}

// The two filters' four dependent iterations per sample and nothing else,
// each reading its own channel at resonance 0.5: the floor under every
// routed case and the reference for the ratios.
inline void FiltersOnly(benchmark::State& state) {
  StateVariableFilter left, right;
  AudioModule inLeft, inRight;
  left.SetSampleRate(kRate);
  right.SetSampleRate(kRate);
  left.SetCutoff(1000.0);
  right.SetCutoff(1000.0);
  left.SetInput(0, &inLeft);
  left.SetInputAmount(0, 1.0);
  right.SetInput(0, &inRight);
  right.SetInputAmount(0, 1.0);
  left.SetResonance(0.5);
  right.SetResonance(0.5);
  const std::vector<double> inL = Noise(1, 0.5), inR = Noise(2, 0.5);
  std::vector<double> outL(kBlock), outR(kBlock);
  for (auto _ : state) {
    for (int i = 0; i < kBlock; ++i) {
      inLeft.output = inL[i];
      inRight.output = inR[i];
      left.Process();
      right.Process();
      outL[i] = left.output;
      outR[i] = right.output;
    }
    benchmark::DoNotOptimize(outL.data());
    benchmark::DoNotOptimize(outR.data());
    benchmark::ClobberMemory();
  }
  ReportPerFrame(state);
}

}  // namespace bench_support
