#pragma once
#include <atomic>
#include <vector>

#include "framework/IChannels.h"

// The legal channel configurations of a plug-in ("1-1 2-2"), its channel
// records, and host audio blocks bound to double-precision pointer arrays:
// float input converted into scratch, double buffers used in place, blocks
// longer than the scratch run in pieces, float output converted back
// (replacing or adding).
//
// No lock of its own: the owner serialises reconfiguration (connections,
// block size) against the audio thread's Bind*/Run. Only the constructor
// and SetBlockFrames allocate.
class ChannelBinding {
 public:
  enum class OutputMode { kDouble, kReplacing, kAdding };
  // One piece of a block, at most BlockFrames() frames.
  using Piece = void (*)(void* context, double** inputs, double** outputs, int frames);

  explicit ChannelBinding(const char* configuration);

  bool LegalIO(int inputs, int outputs) const;  // -1 means any count
  int ChannelIOCount() const { return static_cast<int>(channelIOs_.size()); }
  const IChannelIO* ChannelIO(int index) const;
  int InputChannelCount() const { return static_cast<int>(inputs_.size()); }
  int OutputChannelCount() const { return static_cast<int>(outputs_.size()); }
  bool InputConnected(int channel) const;
  bool OutputConnected(int channel) const;
  void ConnectInputs(int first, int count, bool connected);
  void ConnectOutputs(int first, int count, bool connected);
  void RestrictToStereo();
  // A non-positive size, or the current one, changes nothing.
  void SetBlockFrames(int frames);
  // Any thread: effProcessEvents reads it, without a lock, to keep MIDI
  // offsets inside a block.
  int BlockFrames() const { return blockFrames_.load(std::memory_order_relaxed); }

  void BindInputsSingle(int first, int count, float** buffers, int frames);
  void BindInputsDouble(int first, int count, double** buffers);
  void BindOutputsSingle(int first, int count, float** buffers);
  void BindOutputsDouble(int first, int count, double** buffers);
  // The bound block through `process`, in pieces of at most BlockFrames()
  // frames; with no block size set the outputs get silence.
  void Run(int frames, OutputMode mode, Piece process, void* context);
  double* const* InputPointers() const { return inputPointers_.data(); }
  double* const* OutputPointers() const { return outputPointers_.data(); }

 private:
  void Parse(const char* text);
  void PointPiece(int offset, int frames);
  void EmitPiece(int offset, int frames, OutputMode mode);
  void SilenceBlock(int frames, OutputMode mode);

  std::vector<IChannelIO> channelIOs_;
  std::vector<double*> inputPointers_;
  std::vector<double*> outputPointers_;
  std::vector<IInputChannel> inputs_;
  std::vector<IOutputChannel> outputs_;
  std::atomic<int> blockFrames_{0};
  int boundSingleFrames_ = 0;  // frames available behind bound float inputs
};
