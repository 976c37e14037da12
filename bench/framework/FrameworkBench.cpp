// Costs of the framework paths a host drives often: the single-precision
// block conversion around ProcessDouble, parameter automation, and program
// and bank chunks at the plug-in's real sizes (106 parameters, 128 slots).
#include <benchmark/benchmark.h>

#include <vector>

#include "framework/IEffectBase.h"

namespace {

class BenchEffect : public IEffectBase {
 public:
  BenchEffect() : IEffectBase(106, "1-1 2-2", 128, "Brume", "Brume", "Orvendale", 0x10000, 1, 2, 0,
                              true, false, false) {
    for (int i = 0; i < ParameterCount(); ++i)
      Parameter(i)->DefineDouble("p", 0.0, -80.0, 10.0, 0.1, "dB");
    FillEmptyPresets("-", 128);
    ConnectInputs(0, 2, true);
    ConnectOutputs(0, 2, true);
  }
  void ParameterChanged(int) override {}
  void HostBeginGesture(int) override {}
  void HostParameterChanged(int, double) override {}
  void HostEndGesture(int) override {}
  void HostRefreshDisplay() override {}
  int HostSamplePosition() override { return 0; }
  double HostTempo() override { return 120.0; }
  void HostTimeSignature(int*, int*) override {}
  void HostTransport(ITransportState*) override {}
  void EditorSizeChanged() override {}
  void HostSpecificSetup() override {}
  bool SendMidiEvent(const IMidiEvent&) override { return true; }
  bool SendMidiEvents(const IMidiEvent*, int) override { return true; }
};

void BM_RunBlockReplacing(benchmark::State& state) {
  const int frames = static_cast<int>(state.range(0));
  BenchEffect fx;
  fx.SetBlockFrames(512);  // longer blocks run in pieces
  std::vector<float> inL(frames, 0.25f), inR(frames, -0.25f), outL(frames), outR(frames);
  float* in[2] = {inL.data(), inR.data()};
  float* out[2] = {outL.data(), outR.data()};
  for (auto _ : state) {
    IEffectBase::LockGuard guard(fx);
    fx.BindInputsSingle(0, 2, in, frames);
    fx.BindOutputsSingle(0, 2, out);
    fx.RunBlockReplacing(frames);
    benchmark::DoNotOptimize(outL.data());
  }
  state.SetItemsProcessed(state.iterations() * frames);
}
BENCHMARK(BM_RunBlockReplacing)->Arg(64)->Arg(512)->Arg(2048);

void BM_SetParameterFromGui(benchmark::State& state) {
  BenchEffect fx;
  double n = 0.0;
  for (auto _ : state) {
    fx.SetParameterFromGUI(7, n);
    n = n < 1.0 ? n + 0.001 : 0.0;
  }
}
BENCHMARK(BM_SetParameterFromGui);

void BM_ProgramChunkRoundTrip(benchmark::State& state) {
  BenchEffect fx;
  IStateChunk chunk;
  for (auto _ : state) {
    WriteChunkHeader(chunk);
    fx.SaveState(chunk);
    benchmark::DoNotOptimize(fx.LoadState(chunk, 8));
  }
}
BENCHMARK(BM_ProgramChunkRoundTrip);

void BM_BankChunkRoundTrip(benchmark::State& state) {
  BenchEffect fx;
  IStateChunk chunk;
  for (auto _ : state) {
    WriteChunkHeader(chunk);
    fx.SerializePresets(chunk);
    benchmark::DoNotOptimize(fx.UnserializePresets(chunk, 8));
  }
  state.SetBytesProcessed(state.iterations() * chunk.Size());
}
BENCHMARK(BM_BankChunkRoundTrip);

}  // namespace
