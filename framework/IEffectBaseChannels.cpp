// Plug-in base: the channel operations, carried out by its ChannelBinding
// under the processing lock where the audio thread works on the same
// records, and the pass-through processing of an effect without its own.
#include <algorithm>

#include "framework/IEffectBase.h"

void IEffectBase::ConnectInputs(int first, int count, bool connected) {
  ProcessingGuard guard(processing_);  // the audio thread works on these
  channels_.ConnectInputs(first, count, connected);
}

void IEffectBase::ConnectOutputs(int first, int count, bool connected) {
  ProcessingGuard guard(processing_);
  channels_.ConnectOutputs(first, count, connected);
}

void IEffectBase::SetBlockFrames(int frames) {
  ProcessingGuard guard(processing_);
  channels_.SetBlockFrames(frames);
}

void IEffectBase::RestrictToStereo() {
  ProcessingGuard guard(processing_);
  channels_.RestrictToStereo();
}

// The audio thread, processing lock held: each piece goes to ProcessDouble.
void IEffectBase::RunBlock(int frames, ChannelBinding::OutputMode mode) {
  channels_.Run(frames, mode,
                [](void* base, double** in, double** out, int n) {
                  static_cast<IEffectBase*>(base)->ProcessDouble(in, out, n);
                },
                this);
}

void IEffectBase::ProcessDouble(double** inputs, double** outputs, int frames) {
  if (!outputs || frames <= 0) return;
  const int through = inputs ? std::min(InputChannelCount(), OutputChannelCount()) : 0;
  for (int c = 0; c < OutputChannelCount(); ++c) {
    double* out = outputs[c];
    if (!out) continue;
    if (c < through && inputs[c]) {
      if (inputs[c] != out) std::copy(inputs[c], inputs[c] + frames, out);  // hosts may process in place
    } else {
      std::fill(out, out + frames, 0.0);
    }
  }
}

void IEffectBase::ProcessSingle(float** inputs, float** outputs, int frames) {
  if (!outputs || frames <= 0) return;
  const int through = inputs ? std::min(InputChannelCount(), OutputChannelCount()) : 0;
  for (int c = 0; c < OutputChannelCount(); ++c) {
    float* out = outputs[c];
    if (!out) continue;
    if (c < through && inputs[c]) {
      if (inputs[c] != out) std::copy(inputs[c], inputs[c] + frames, out);
    } else {
      std::fill(out, out + frames, 0.0f);
    }
  }
}
