// Cost of the host-facing paths of the plug-in: the three audio callbacks
// (binding, conversion and locking around the effect's own processing),
// the effect's processing called directly for comparison, parameter
// automation and bank chunk save and restore.
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "effect/Kestrel.h"

namespace {

VstTimeInfo g_time = [] {
  VstTimeInfo t{};
  t.tempo = 120.0;
  t.flags = kVstTempoValid;
  return t;
}();

VstIntPtr BenchHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
  return opcode == audioMasterGetTime ? reinterpret_cast<VstIntPtr>(&g_time) : 0;
}

constexpr int kBlock = 512;

VstIntPtr Dispatch(AEffect* e, VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                   float opt = 0.0f) {
  return e->dispatcher(e, opcode, index, value, ptr, opt);
}

// A started instance on factory program `program` with a block of noise.
struct Fixture {
  explicit Fixture(int program) : kestrel(&BenchHost), effect(kestrel.Effect()) {
    Dispatch(effect, effOpen);
    Dispatch(effect, effSetSampleRate, 0, 0, nullptr, 44100.0f);
    Dispatch(effect, effSetBlockSize, 0, kBlock);
    Dispatch(effect, effMainsChanged, 0, 1);
    Dispatch(effect, effSetProgram, 0, program);
    uint32_t seed = 7;
    for (int c = 0; c < 2; ++c)
      for (int i = 0; i < kBlock; ++i) {
        seed = seed * 1664525u + 1013904223u;
        inD[c][i] = static_cast<double>(seed >> 8) / 16777216.0 - 0.5;
        inF[c][i] = static_cast<float>(inD[c][i]);
      }
  }
  Kestrel kestrel;
  AEffect* effect;
  double inD[2][kBlock], outD[2][kBlock];
  float inF[2][kBlock], outF[2][kBlock];
  double* insD[2] = {inD[0], inD[1]};
  double* outsD[2] = {outD[0], outD[1]};
  float* insF[2] = {inF[0], inF[1]};
  float* outsF[2] = {outF[0], outF[1]};
};

void Frames(benchmark::State& state) {
  state.SetItemsProcessed(state.iterations() * kBlock);
  state.counters["ns_per_frame"] = benchmark::Counter(
      static_cast<double>(state.iterations() * kBlock), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_ProcessDoubleReplacing(benchmark::State& state) {
  Fixture f(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    f.effect->processDoubleReplacing(f.effect, f.insD, f.outsD, kBlock);
    benchmark::DoNotOptimize(f.outD[0][kBlock - 1]);
  }
  Frames(state);
}

void BM_ProcessReplacing(benchmark::State& state) {
  Fixture f(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    f.effect->processReplacing(f.effect, f.insF, f.outsF, kBlock);
    benchmark::DoNotOptimize(f.outF[0][kBlock - 1]);
  }
  Frames(state);
}

void BM_ProcessAccumulating(benchmark::State& state) {
  Fixture f(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    f.effect->process(f.effect, f.insF, f.outsF, kBlock);
    benchmark::DoNotOptimize(f.outF[0][kBlock - 1]);
    for (auto& channel : f.outF) channel[0] = 0.0f;  // keep the sums bounded
  }
  Frames(state);
}

// The effect's processing without the binding around it.
void BM_EffectProcessDoubleDirect(benchmark::State& state) {
  Fixture f(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    IEffectBase::LockGuard guard(f.kestrel);
    f.kestrel.ProcessDouble(f.insD, f.outsD, kBlock);
    benchmark::DoNotOptimize(f.outD[0][kBlock - 1]);
  }
  Frames(state);
}

void BM_SetParameter(benchmark::State& state) {
  Fixture f(0);
  int index = 0;
  float value = 0.0f;
  for (auto _ : state) {
    f.effect->setParameter(f.effect, index, value);
    index = (index + 7) % 106;
    value = value > 0.99f ? 0.0f : value + 0.013f;
  }
}

void BM_BankChunkSaveAndRestore(benchmark::State& state) {
  Fixture f(0);
  for (auto _ : state) {
    void* data = nullptr;
    const VstIntPtr size = Dispatch(f.effect, effGetChunk, 0, 0, &data);
    std::vector<char> copy(static_cast<char*>(data), static_cast<char*>(data) + size);
    benchmark::DoNotOptimize(Dispatch(f.effect, effSetChunk, 0, size, copy.data()));
  }
}

}  // namespace

// Program 0 "Init" (filters), 13 "pitch screw" (delays with feedback),
// 19 "crushed delay" (delays and crushers).
BENCHMARK(BM_ProcessDoubleReplacing)->Arg(0)->Arg(13)->Arg(19);
BENCHMARK(BM_ProcessReplacing)->Arg(0)->Arg(13)->Arg(19);
BENCHMARK(BM_ProcessAccumulating)->Arg(0);
BENCHMARK(BM_EffectProcessDoubleDirect)->Arg(0)->Arg(13)->Arg(19);
BENCHMARK(BM_SetParameter);
BENCHMARK(BM_BankChunkSaveAndRestore);
