// Legal channel configurations, channel records and the binding of host
// audio blocks to the double-precision pointer arrays.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "framework/ChannelBinding.h"
#include "framework/ITrace.h"

ChannelBinding::ChannelBinding(const char* configuration) { Parse(configuration); }

void ChannelBinding::Parse(const char* text) {
  if (!text) return;
  int maxInputs = 0;
  int maxOutputs = 0;
  // Tokens "in-out" separated by spaces; a number that does not parse stays 0.
  for (const char* p = text;;) {
    IChannelIO io;
    std::sscanf(p, "%d-%d", &io.inputs, &io.outputs);
    io.inputs = std::max(io.inputs, 0);
    io.outputs = std::max(io.outputs, 0);
    channelIOs_.push_back(io);
    maxInputs = std::max(maxInputs, io.inputs);
    maxOutputs = std::max(maxOutputs, io.outputs);
    const char* space = std::strchr(p, ' ');
    if (!space) break;
    p = space + 1;
  }
  inputPointers_.assign(static_cast<size_t>(maxInputs), nullptr);
  outputPointers_.assign(static_cast<size_t>(maxOutputs), nullptr);
  inputs_.resize(static_cast<size_t>(maxInputs));
  outputs_.resize(static_cast<size_t>(maxOutputs));
  for (size_t i = 0; i < inputs_.size(); ++i) {
    inputs_[i].slot = &inputPointers_[i];
    inputPointers_[i] = inputs_[i].scratch.data();
  }
  for (size_t i = 0; i < outputs_.size(); ++i) {
    outputs_[i].slot = &outputPointers_[i];
    outputPointers_[i] = outputs_[i].scratch.data();
  }
}

bool ChannelBinding::LegalIO(int inputs, int outputs) const {
  bool legal = false;
  for (const IChannelIO& io : channelIOs_) {
    if ((inputs < 0 || inputs == io.inputs) && (outputs < 0 || outputs == io.outputs)) {
      legal = true;
      break;
    }
  }
  TracePoint("IEffectBase::LegalIO", __LINE__, "%d:%d:%s", inputs, outputs,
             legal ? "legal" : "illegal");
  return legal;
}

const IChannelIO* ChannelBinding::ChannelIO(int index) const {
  if (index < 0 || index >= ChannelIOCount()) return nullptr;
  return &channelIOs_[static_cast<size_t>(index)];
}

bool ChannelBinding::InputConnected(int channel) const {
  return channel >= 0 && channel < InputChannelCount() && inputs_[static_cast<size_t>(channel)].connected;
}

bool ChannelBinding::OutputConnected(int channel) const {
  return channel >= 0 && channel < OutputChannelCount() &&
         outputs_[static_cast<size_t>(channel)].connected;
}

namespace {

// Channel indexes first .. first+count-1 limited to [0, channelCount), with
// 64-bit sums so that host-supplied counts cannot wrap.
struct ChannelRange {
  int begin;
  int end;
};

ChannelRange Range(int first, int count, int channelCount) {
  const int64_t begin = std::max<int64_t>(first, 0);
  const int64_t end = std::min<int64_t>(static_cast<int64_t>(first) + count, channelCount);
  return {static_cast<int>(begin), static_cast<int>(std::max(begin, end))};
}

}  // namespace

void ChannelBinding::ConnectInputs(int first, int count, bool connected) {
  const ChannelRange r = Range(first, count, InputChannelCount());
  for (int i = r.begin; i < r.end; ++i) {
    IInputChannel& ch = inputs_[static_cast<size_t>(i)];
    ch.connected = connected;
    if (!connected) {
      // A disconnected input reads silence, not the last block it carried.
      std::fill(ch.scratch.begin(), ch.scratch.end(), 0.0);
      ch.hostSingle = nullptr;
      ch.hostDouble = nullptr;
      *ch.slot = ch.scratch.data();
    }
  }
}

void ChannelBinding::ConnectOutputs(int first, int count, bool connected) {
  const ChannelRange r = Range(first, count, OutputChannelCount());
  for (int i = r.begin; i < r.end; ++i) {
    IOutputChannel& ch = outputs_[static_cast<size_t>(i)];
    ch.connected = connected;
    if (!connected) {
      ch.singleDestination = nullptr;
      ch.hostDouble = nullptr;
      *ch.slot = ch.scratch.data();
    }
  }
}

void ChannelBinding::SetBlockFrames(int frames) {
  // A non-positive size from a host would leave no room to process anything.
  if (frames <= 0 || frames == BlockFrames()) return;
  for (IInputChannel& ch : inputs_) {
    ch.scratch.assign(static_cast<size_t>(frames), 0.0);
    if (!ch.connected) *ch.slot = ch.scratch.data();
  }
  for (IOutputChannel& ch : outputs_) {
    ch.scratch.assign(static_cast<size_t>(frames), 0.0);
    if (!ch.connected) *ch.slot = ch.scratch.data();
  }
  blockFrames_.store(frames, std::memory_order_relaxed);
}

void ChannelBinding::BindInputsSingle(int first, int count, float** buffers, int frames) {
  const ChannelRange r = Range(first, count, InputChannelCount());
  int next = 0;
  boundSingleFrames_ = std::max(frames, 0);
  // The first piece is converted now; RunBlock converts any later pieces.
  const int n = std::min(boundSingleFrames_, BlockFrames());
  for (int i = r.begin; i < r.end; ++i) {
    IInputChannel& ch = inputs_[static_cast<size_t>(i)];
    if (!ch.connected) continue;
    const float* source = buffers ? buffers[next] : nullptr;
    ++next;
    ch.hostSingle = source;
    ch.hostDouble = nullptr;
    for (int s = 0; s < n; ++s) ch.scratch[static_cast<size_t>(s)] = source ? source[s] : 0.0;
    *ch.slot = ch.scratch.data();
  }
}

void ChannelBinding::BindInputsDouble(int first, int count, double** buffers) {
  const ChannelRange r = Range(first, count, InputChannelCount());
  int next = 0;
  for (int i = r.begin; i < r.end; ++i) {
    IInputChannel& ch = inputs_[static_cast<size_t>(i)];
    if (!ch.connected) continue;
    double* source = buffers ? buffers[next] : nullptr;
    ++next;
    ch.hostSingle = nullptr;
    ch.hostDouble = source;
    *ch.slot = source ? source : ch.scratch.data();
  }
}

void ChannelBinding::BindOutputsSingle(int first, int count, float** buffers) {
  const ChannelRange r = Range(first, count, OutputChannelCount());
  int next = 0;
  for (int i = r.begin; i < r.end; ++i) {
    IOutputChannel& ch = outputs_[static_cast<size_t>(i)];
    if (!ch.connected) continue;
    ch.singleDestination = buffers ? buffers[next] : nullptr;
    ++next;
    ch.hostDouble = nullptr;
    *ch.slot = ch.scratch.data();
  }
}

void ChannelBinding::BindOutputsDouble(int first, int count, double** buffers) {
  const ChannelRange r = Range(first, count, OutputChannelCount());
  int next = 0;
  for (int i = r.begin; i < r.end; ++i) {
    IOutputChannel& ch = outputs_[static_cast<size_t>(i)];
    if (!ch.connected) continue;
    double* destination = buffers ? buffers[next] : nullptr;
    ++next;
    ch.singleDestination = nullptr;
    ch.hostDouble = destination;
    *ch.slot = destination ? destination : ch.scratch.data();
  }
}

void ChannelBinding::Run(int frames, OutputMode mode, Piece process, void* context) {
  if (frames <= 0) return;
  const int blockFrames = BlockFrames();
  if (blockFrames <= 0) {
    SilenceBlock(frames, mode);
    return;
  }
  double** in = inputs_.empty() ? nullptr : inputPointers_.data();
  double** out = outputs_.empty() ? nullptr : outputPointers_.data();
  // The scratch buffers hold BlockFrames() samples; a host that delivers a
  // longer block gets it processed in pieces rather than overrunning them.
  for (int offset = 0; offset < frames;) {
    const int n = std::min(blockFrames, frames - offset);
    if (offset > 0) PointPiece(offset, n);
    process(context, in, out, n);
    if (mode != OutputMode::kDouble) EmitPiece(offset, n, mode);
    offset += n;
  }
}

void ChannelBinding::PointPiece(int offset, int frames) {
  for (IInputChannel& ch : inputs_) {
    if (!ch.connected) continue;
    if (ch.hostDouble) {
      *ch.slot = ch.hostDouble + offset;
    } else {
      // Converted float input; frames beyond what the host bound read zero.
      const int available = std::max(0, std::min(frames, boundSingleFrames_ - offset));
      for (int s = 0; s < available; ++s)
        ch.scratch[static_cast<size_t>(s)] = ch.hostSingle ? ch.hostSingle[offset + s] : 0.0;
      std::fill(ch.scratch.begin() + available, ch.scratch.begin() + frames, 0.0);
      *ch.slot = ch.scratch.data();
    }
  }
  for (IOutputChannel& ch : outputs_) {
    if (ch.connected && ch.hostDouble) *ch.slot = ch.hostDouble + offset;
    else *ch.slot = ch.scratch.data();
  }
}

void ChannelBinding::EmitPiece(int offset, int frames, OutputMode mode) {
  for (IOutputChannel& ch : outputs_) {
    if (!ch.connected || !ch.singleDestination) continue;
    const double* source = *ch.slot;
    float* destination = ch.singleDestination + offset;
    if (mode == OutputMode::kAdding) {
      for (int s = 0; s < frames; ++s) destination[s] += static_cast<float>(source[s]);
    } else {
      for (int s = 0; s < frames; ++s) destination[s] = static_cast<float>(source[s]);
    }
  }
}

void ChannelBinding::SilenceBlock(int frames, OutputMode mode) {
  for (IOutputChannel& ch : outputs_) {
    if (!ch.connected) continue;
    if (mode == OutputMode::kReplacing && ch.singleDestination)
      std::fill(ch.singleDestination, ch.singleDestination + frames, 0.0f);
    if (mode == OutputMode::kDouble && ch.hostDouble)
      std::fill(ch.hostDouble, ch.hostDouble + frames, 0.0);
  }
}

void ChannelBinding::RestrictToStereo() {
  ConnectInputs(2, InputChannelCount() - 2, false);
  if (OutputChannelCount() >= 3) ConnectOutputs(2, OutputChannelCount() - 2, true);
}
