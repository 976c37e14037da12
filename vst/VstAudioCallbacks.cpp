// The audio and parameter callbacks of the effect record.
//
// The audio callbacks run on the host's audio thread: no allocation, no
// waiting, denormals flushed for the whole call. They only try the
// processing lock; the parameter callbacks take no lock at all.
#include <algorithm>
#include <cmath>
#include <type_traits>

#include "engine/DenormalGuard.h"
#include "framework/NonFiniteSamples.h"
#include "framework/ITrace.h"
#include "vst/IVstBinding.h"

void IVstBinding::VSTProcess(AEffect* effect, float** inputs, float** outputs, VstInt32 frames) {
  if (IVstBinding* plugin = FromEffect(effect))
    plugin->ProcessBlock(BlockMode::kAdding, inputs, outputs, frames);
}

void IVstBinding::VSTProcessReplacing(AEffect* effect, float** inputs, float** outputs, VstInt32 frames) {
  if (IVstBinding* plugin = FromEffect(effect))
    plugin->ProcessBlock(BlockMode::kReplacing, inputs, outputs, frames);
}

void IVstBinding::VSTProcessDoubleReplacing(AEffect* effect, double** inputs, double** outputs, VstInt32 frames) {
  if (IVstBinding* plugin = FromEffect(effect))
    plugin->ProcessBlock(BlockMode::kDouble, inputs, outputs, frames);
}

int IVstBinding::ConnectedOutputCount() const {
  int connected = 0;
  for (int c = 0; c < OutputChannelCount(); ++c) connected += OutputConnected(c) ? 1 : 0;
  return connected;
}

// The host's buffers are matched in order to the connected channels, so
// that many leading entries must be present.
template <typename Sample>
bool IVstBinding::HostBuffersUsable(Sample** inputs, Sample** outputs) const {
  int connectedInputs = 0;
  for (int c = 0; c < InputChannelCount(); ++c) connectedInputs += InputConnected(c) ? 1 : 0;
  const int connectedOutputs = ConnectedOutputCount();
  if ((connectedInputs > 0 && !inputs) || (connectedOutputs > 0 && !outputs)) return false;
  for (int i = 0; i < connectedInputs; ++i)
    if (!inputs[i]) return false;
  for (int i = 0; i < connectedOutputs; ++i)
    if (!outputs[i]) return false;
  return true;
}

template <typename Sample>
void IVstBinding::ProcessBlock(BlockMode mode, Sample** inputs, Sample** outputs, VstInt32 frames) {
  DenormalGuard denormals;
  try {
    if (frames < 0) return;
    if (doesMidi_) CallHost(audioMasterWantMidi, 0, 0, nullptr, 0.0f);
    // Held for a moment by a sample-rate, block-size or connection change
    // on another thread: this block is silent rather than late.
    if (!TryLockProcessing()) {
      SilenceHostBlock(mode, outputs, frames);
      return;
    }
    std::lock_guard<std::recursive_mutex> guard(ProcessingLock(), std::adopt_lock);
    const int in = InputChannelCount(), out = OutputChannelCount();
    if (frames == 0) {
      // An empty block still reaches the effect (it asks the host for the
      // tempo each block); no buffer is touched, so the host may pass none.
      ProcessDouble(in ? const_cast<double**>(InputPointers()) : nullptr,
                    out ? const_cast<double**>(OutputPointers()) : nullptr, 0);
      return;
    }
    // A block with missing buffers cannot be processed; nothing is read or
    // written through the pointers that are there.
    if (!HostBuffersUsable(inputs, outputs)) return;
    if constexpr (std::is_same_v<Sample, float>)
      ProcessHostBlock(inputs, outputs, frames, mode == BlockMode::kAdding);
    else
      ProcessHostBlock(inputs, outputs, frames);
  } catch (...) {
    // Nothing in the block allocates or throws; this only keeps a fault
    // from unwinding into the host.
  }
}

// Blocks longer than the announced size are run in pieces by the base, so
// the scratch buffers sized by effSetBlockSize always suffice.
void IVstBinding::ProcessHostBlock(float** inputs, float** outputs, int frames, bool adding) {
  BindInputsSingle(0, InputChannelCount(), inputs, frames);
  BindOutputsSingle(0, OutputChannelCount(), outputs);
  if (adding)
    RunBlockAdding(frames);
  else
    RunBlockReplacing(frames);
  SilenceNonFiniteOutput(outputs, frames);
}

void IVstBinding::ProcessHostBlock(double** inputs, double** outputs, int frames) {
  BindInputsDouble(0, InputChannelCount(), inputs);
  BindOutputsDouble(0, OutputChannelCount(), outputs);
  RunBlockDouble(frames);
  SilenceNonFiniteOutput(outputs, frames);
}

// A NaN or infinity handed to a host spreads through its whole mix. Such
// samples leave as silence and the effect starts afresh.
template <typename Sample>
void IVstBinding::SilenceNonFiniteOutput(Sample** outputs, int frames) {
  bool runaway = false;
  for (int c = 0; c < ConnectedOutputCount(); ++c) runaway = SilenceNonFinite(outputs[c], frames) || runaway;
  if (runaway) ClearProcessingState();
}

template <typename Sample>
void IVstBinding::SilenceHostBlock(BlockMode mode, Sample** outputs, VstInt32 frames) {
  if (mode == BlockMode::kAdding || !outputs || frames <= 0) return;
  for (int c = 0; c < OutputChannelCount(); ++c)
    if (outputs[c]) std::fill(outputs[c], outputs[c] + frames, Sample(0));
}

// Both parameter callbacks only touch atomics: any thread, the audio thread
// included, and they never wait.
float IVstBinding::VSTGetParameter(AEffect* effect, VstInt32 index) {
  IVstBinding* plugin = FromEffect(effect);
  if (!plugin) return 0.0f;
  TracePoint("IVstBinding::VSTGetParameter", __LINE__, "%d", index);
  const IParameter* parameter = plugin->Parameter(index);
  return parameter ? static_cast<float>(parameter->Normalised()) : 0.0f;
}

void IVstBinding::VSTSetParameter(AEffect* effect, VstInt32 index, float value) {
  IVstBinding* plugin = FromEffect(effect);
  if (!plugin) return;
  TracePoint("IVstBinding::VSTSetParameter", __LINE__, "%d:%f", index, static_cast<double>(value));
  // A NaN from the host would poison the value; it changes nothing. The
  // engine applies the change at the start of its next block, the editor
  // on its next tick; the host made it itself, so it is not reported back.
  if (plugin->SetParameterFromHost(index, value)) plugin->editedSinceLoad_.store(true, std::memory_order_relaxed);
}
