// Cost of the signal engine alone, in nanoseconds per stereo frame
// (counter "ns_per_frame"), for blocks of 512 frames at 44.1 kHz:
//   FiltersOnly     the two filters alone: the dependency chain every routed
//                   case sits on, a reference for the machine's speed
//   Unrouted        nothing in either matrix
//   FullChain/<cr>  in -> crusher -> filter -> delay (with feedback) -> master
//                   on both channels, LFO 1/2 on the cutoffs and the
//                   envelope on the crusher rates, control rate <cr>
//   DenormalTail    the full chain with 100 % feedback and resonance 0.99,
//                   processing silence after a loud burst
//   TailSound       the same settings processing the loud signal: the tail
//                   must never cost more than this
//   Program/<n>     the engine set up by the effect's parameter handler for
//                   factory preset n (-1: every parameter at its default)
// After the table every case is printed as a ratio to FiltersOnly, with the
// median and worst ratio over the 21 programs.
#include <benchmark/benchmark.h>

#include <memory>
#include <random>
#include <vector>

#include "bench/common/EngineCases.h"
#include "bench/common/RatioReporter.h"
#include "effect/FactoryPresets.h"
#include "effect/Kestrel.h"
#include "engine/Engine.h"

namespace {

using bench_support::kBlock;
using bench_support::kRate;

struct Rig {
  Rig() : engine(std::make_unique<Engine>()), midi(1024), left(kBlock), right(kBlock), outL(kBlock), outR(kBlock) {
    engine->Reset(kRate);
    Engine& e = *engine;
    // The effect's default settings.
    e.crusherBitsModLeft.base = e.crusherBitsModRight.base = 64.0;
    e.crusherRateModLeft.base = e.crusherRateModRight.base = 1.0;
    e.filterFreqModLeft.base = e.filterFreqModRight.base = 1000.0;
    e.panModRight.base = 1.0;
    e.delayTimeModLeft.base = e.delayTimeModRight.base = 1.0;
    e.lfoRateModLeft.base = e.lfoRateModRight.base = 1.0;
    e.masterModLeft.base = e.masterModRight.base = 1.0;
    e.delayLeft.SetQuarters(4);
    e.delayRight.SetQuarters(4);
    e.envelopeInputGain = 1.0;
    e.dryWetMix = 0.5;
    e.softClip = true;
    Fill(0.5);
  }

  void RouteFullChain() {
    Engine& e = *engine;
    int row = 0;
    auto route = [&](int source, int destination, double amount) {
      e.audioMatrix[row].SetSource(e.AudioSource(source));
      e.audioMatrix[row].SetDestination(e.AudioDestination(destination));
      e.audioMatrix[row].SetAmount(amount);
      ++row;
    };
    for (int channel = 0; channel < 2; ++channel) {
      route(1 + channel, 3 + channel, 1.0);  // In -> Crusher
      route(3 + channel, 5 + channel, 1.0);  // Crusher -> Filter
      route(5 + channel, 7 + channel, 1.0);  // Filter -> Delay
      route(7 + channel, 9 + channel, 1.0);  // Delay -> Delay Fb
      route(7 + channel, 1 + channel, 1.0);  // Delay -> Out
      route(5 + channel, 1 + channel, 0.5);  // Filter -> Out
    }
    auto modulate = [&](int mrow, int source, int target, double amount) {
      e.modulationMatrix[mrow].SetSource(e.ModulationSource(source));
      e.modulationMatrix[mrow].SetDestination(e.ModulationTarget(target));
      e.modulationMatrix[mrow].SetAmount(amount);
    };
    modulate(0, 6, 9, 0.2);    // Lfo 1 -> Filter Freq 1
    modulate(1, 7, 10, 0.2);   // Lfo 2 -> Filter Freq 2
    modulate(2, 5, 17, -0.5);  // Envelope -> Crusher Rate 1
    e.delayFeedbackModLeft.base = e.delayFeedbackModRight.base = 0.5;
    e.filterResModLeft.base = e.filterResModRight.base = 0.5;
  }

  void Fill(double amplitude) {
    std::mt19937 rng(1);
    std::uniform_real_distribution<double> u(-amplitude, amplitude);
    for (int i = 0; i < kBlock; ++i) {
      left[i] = u(rng);
      right[i] = u(rng);
    }
  }

  void Block() {
    const double* inputs[2] = {left.data(), right.data()};
    double* outputs[2] = {outL.data(), outR.data()};
    engine->Process(inputs, outputs, kBlock, 120.0, midi);
  }

  std::unique_ptr<Engine> engine;
  IMidiEventQueue midi;
  std::vector<double> left, right, outL, outR;
};

void Report(benchmark::State& state, const Rig& rig) {
  benchmark::DoNotOptimize(rig.outL.data());
  bench_support::ReportPerFrame(state);
}

void Unrouted(benchmark::State& state) {
  Rig rig;
  for (int i = 0; i < 100; ++i) rig.Block();
  for (auto _ : state) rig.Block();
  Report(state, rig);
}

void FullChain(benchmark::State& state) {
  Rig rig;
  rig.RouteFullChain();
  const int choice = static_cast<int>(state.range(0));
  rig.engine->SetControlRateChoice(choice);
  for (int i = 0; i < 100; ++i) rig.Block();
  for (auto _ : state) rig.Block();
  Report(state, rig);
  state.SetLabel("control rate " + std::to_string(rig.engine->ControlRate()));
}

void DenormalTail(benchmark::State& state) {
  Rig rig;
  rig.RouteFullChain();
  Engine& e = *rig.engine;
  e.delayFeedbackModLeft.base = e.delayFeedbackModRight.base = 1.0;
  e.filterResModLeft.base = e.filterResModRight.base = 0.99;
  e.SetControlRateChoice(3);
  rig.Fill(1.0);
  for (int i = 0; i < 200; ++i) rig.Block();  // loud burst
  rig.Fill(0.0);
  for (int i = 0; i < 2000; ++i) rig.Block();  // let the tails decay
  for (auto _ : state) rig.Block();
  Report(state, rig);
}

void TailSound(benchmark::State& state) {
  Rig rig;
  rig.RouteFullChain();
  Engine& e = *rig.engine;
  e.delayFeedbackModLeft.base = e.delayFeedbackModRight.base = 1.0;
  e.filterResModLeft.base = e.filterResModRight.base = 0.99;
  e.SetControlRateChoice(3);
  rig.Fill(1.0);
  for (int i = 0; i < 200; ++i) rig.Block();
  for (auto _ : state) rig.Block();
  Report(state, rig);
}

// The engine as the effect's parameter handler sets it up for a program,
// driven directly (no plug-in lock, no host), with a settled second of noise.
void Program(benchmark::State& state) {
  const int preset = static_cast<int>(state.range(0));
  Kestrel effect(nullptr);
  effect.StoreSampleRate(kRate);
  effect.SetBlockFrames(kBlock);
  effect.ClearProcessingState();
  effect.NotifyAllParametersChanged();
  if (preset >= 0) effect.LoadPreset(preset);
  state.SetLabel(preset >= 0 ? FactoryPresetAt(preset).name : "defaults");
  Engine& engine = effect.SignalEngine();
  IMidiEventQueue midi(16);
  const std::vector<double> inL = bench_support::Noise(12345, 0.5), inR = bench_support::Noise(54321, 0.5);
  std::vector<double> outL(kBlock), outR(kBlock);
  const double* inputs[2] = {inL.data(), inR.data()};
  double* outputs[2] = {outL.data(), outR.data()};
  for (int b = 0; b < 44100 / kBlock; ++b) engine.Process(inputs, outputs, kBlock, 120.0, midi);
  for (auto _ : state) {
    engine.Process(inputs, outputs, kBlock, 120.0, midi);
    benchmark::DoNotOptimize(outL.data());
    benchmark::ClobberMemory();
  }
  bench_support::ReportPerFrame(state);
}

BENCHMARK(bench_support::FiltersOnly)->Name("FiltersOnly")->Apply(bench_support::AddMinimum);
BENCHMARK(Program)->DenseRange(-1, kFactoryPresetCount - 1)->Apply(bench_support::AddMinimum);

BENCHMARK(Unrouted)->Apply(bench_support::AddMinimum);
// Control-rate choices 0, 3, 5: 1, 16 and 64 samples per tick.
BENCHMARK(FullChain)->Arg(0)->Arg(3)->Arg(5)->Apply(bench_support::AddMinimum);
BENCHMARK(DenormalTail)->Apply(bench_support::AddMinimum);
BENCHMARK(TailSound)->Apply(bench_support::AddMinimum);

}  // namespace

int main(int argc, char** argv) { return bench_support::RunWithRatios(argc, argv, "Program/"); }
