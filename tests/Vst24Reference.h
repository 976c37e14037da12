#pragma once
// The VST 2.4 plug-in as the reference other formats' renders are compared
// with: the values a host holds for the start-up settings or a factory
// program, and the VST 2.4 effect started and rendered with them.
#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "effect/BrumeState.h"
#include "effect/FactoryPresets.h"
#include "effect/Kestrel.h"
#include "effect/MatrixChoices.h"
#include "effect/ParameterTable.h"
#include "framework/IStateChunk.h"
#include "tests/FormatRenderInput.h"

// Odd block sizes, longer and shorter than every format's scratch size.
inline constexpr int kOddBlocks[] = {1, 17, 333, 64, 1000, 4097, 5000, 2};

// One value per parameter, as a format's host holds it (double, or float
// for LV2's ports).
template <typename T>
std::vector<T> StartUpValues() {
  double values[kParameterCount];
  DefaultParameterValues(values);
  return std::vector<T>(values, values + kParameterCount);
}
template <typename T>
std::vector<T> ProgramValues(int number) {
  double values[kParameterCount];
  FactoryPresetValues(number, values);
  return std::vector<T>(values, values + kParameterCount);
}

inline VstIntPtr ReferenceHost(AEffect*, VstInt32, VstInt32, VstIntPtr, void*, float) { return 0; }

// Running at `rate` with 512-frame blocks, the values written straight into
// the parameters and announced once, as a host's program change does:
// applied at the start of the first block.
template <typename T>
void StartReference(Kestrel& effect, const std::vector<T>& values, double rate) {
  AEffect* e = effect.Effect();
  e->dispatcher(e, effSetSampleRate, 0, 0, nullptr, static_cast<float>(rate));
  e->dispatcher(e, effSetBlockSize, 0, 512, nullptr, 0.0f);
  e->dispatcher(e, effMainsChanged, 0, 1, nullptr, 0.0f);
  for (int i = 0; i < kParameterCount; ++i) effect.Parameter(i)->SetClamped(values[i]);
  effect.NotifyAllParametersChanged();
}

template <typename T>
Stereo RenderReference(const std::vector<T>& values, const Stereo& in, const int* blocks, int count, double rate) {
  Kestrel effect(&ReferenceHost, nullptr);
  StartReference(effect, values, rate);
  AEffect* e = effect.Effect();
  const int frames = static_cast<int>(in.left.size());
  Stereo out{std::vector<float>(frames), std::vector<float>(frames)};
  ForEachBlock(frames, blocks, count, [&](int start, int n) {
    float* inputs[] = {const_cast<float*>(&in.left[start]), const_cast<float*>(&in.right[start])};
    float* outputs[] = {&out.left[start], &out.right[start]};
    e->processReplacing(e, inputs, outputs, n);
  });
  return out;
}

// ---- States and checks the formats' tests share ---------------------------

using StateBytes = std::vector<uint8_t>;

// A program chunk (header and values) holding `values`.
inline StateBytes ProgramChunk(const std::vector<double>& values) {
  IStateChunk chunk;
  WriteChunkHeader(chunk);
  for (double v : values) chunk.AppendDouble(v);
  return StateBytes(chunk.Data(), chunk.Data() + chunk.Size());
}

// The VST 2.4 plug-in's program chunk as it stands.
inline StateBytes Vst2Chunk(AEffect* e) {
  void* data = nullptr;
  const VstIntPtr size = e->dispatcher(e, effGetChunk, 1, 0, &data, 0.0f);
  return size > 0 ? StateBytes(static_cast<uint8_t*>(data), static_cast<uint8_t*>(data) + size) : StateBytes();
}

// Brume's state (VST3, CLAP) for a program chunk: its bytes, then the bypass.
inline StateBytes StateWithBypass(StateBytes chunk, bool bypassed) {
  IStateChunk field;
  field.AppendInt32(kBypassTag);
  field.AppendInt32(bypassed ? 1 : 0);
  chunk.insert(chunk.end(), field.Data(), field.Data() + field.Size());
  return chunk;
}

// A state damaged one of six ways: cut anywhere, bytes changed, a value
// made non-finite or huge, garbage appended, the header damaged, or not a
// chunk at all.
inline StateBytes DamagedState(const StateBytes& good, std::mt19937& random) {
  StateBytes bytes = good;
  auto pick = [&](size_t n) { return static_cast<size_t>(random() % (n ? n : 1)); };
  switch (random() % 6) {
    case 0: bytes.resize(pick(bytes.size() + 1)); break;
    case 1:
      for (int k = 1 + static_cast<int>(random() % 8); k > 0; --k) bytes[pick(bytes.size())] = static_cast<uint8_t>(random());
      break;
    case 2: {
      const double bad[] = {std::nan(""), INFINITY, -INFINITY, 1e300, -1e300};
      std::memcpy(&bytes[8 + 8 * pick(kParameterCount)], &bad[random() % 5], 8);
      break;
    }
    case 3: bytes.insert(bytes.end(), 1 + pick(64), static_cast<uint8_t>(random())); break;
    case 4: bytes.erase(bytes.begin(), bytes.begin() + static_cast<long>(1 + pick(16))); break;
    case 5: bytes.assign(pick(2000), static_cast<uint8_t>(random())); break;
  }
  return bytes;
}

// In 1 straight to Out 1, and a modulation source on Master 1 at -100 %:
// the source silences the output from its frame on, not before.
inline std::vector<double> GatedBy(int source) {
  std::vector<double> values = StartUpValues<double>();
  values[AudioInIndex(1)] = AudioSource::In1, values[AudioOutIndex(1)] = AudioDestination::Out1;
  values[AudioAmountIndex(1)] = 100;
  values[ModInIndex(1)] = source, values[ModOutIndex(1)] = ModTarget::Master1, values[ModAmountIndex(1)] = -100;
  values[kControlRate] = 0;  // a control tick every frame
  values[kDryWetMix] = 100;
  return values;
}

inline int FirstDifference(const Stereo& a, const Stereo& b) {
  int i = 0;
  while (i < static_cast<int>(a.left.size()) && a.left[i] == b.left[i]) ++i;
  return i;
}
