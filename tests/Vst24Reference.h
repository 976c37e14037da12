#pragma once
// The VST 2.4 plug-in as the reference other formats' renders are compared
// with: the values a host holds for the start-up settings or a factory
// program, and the VST 2.4 effect started and rendered with them.
#include <vector>

#include "effect/FactoryPresets.h"
#include "effect/Kestrel.h"
#include "effect/ParameterTable.h"
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
