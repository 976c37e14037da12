#pragma once
// The renderer's host side: loads a VST 2.4 plug-in file, creates one
// instance through its entry point and drives it as a host would (open, rate
// and block size, program change, activation, blocks of audio, close).
//
// Everything runs on the caller's thread; the host callback answers the
// plug-in's time, product and version requests from this object's state.

#include <string>
#include <vector>

#include "tools/loader/PluginLibrary.h"
#include "vst/VstAbi.h"

class PluginInstance {
 public:
  PluginInstance() = default;
  ~PluginInstance() { Close(); }
  PluginInstance(const PluginInstance&) = delete;
  PluginInstance& operator=(const PluginInstance&) = delete;

  // Loads the file and creates the instance (entry point, effOpen). False
  // with a user-facing reason when the file is not a usable VST 2.4 effect.
  bool Load(const std::string& path, std::string& error);

  int ProgramCount() const;
  std::string ProgramName(int index);
  void SelectProgram(int index);
  int InputCount() const;

  // Announces rate, block size and tempo, then switches processing on.
  // `blockFrames` is the most Process will ever be given.
  void Start(int rate, int blockFrames, double tempo);
  // Replaces outL/outR with `frames` processed frames (frames <= block).
  void Process(const double* inL, const double* inR, double* outL, double* outR, int frames);
  // Switches processing off, closes the instance and unloads the file.
  void Close();

 private:
  static VstIntPtr HostCallback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                float opt);
  VstIntPtr Answer(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt);
  VstIntPtr Dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                     float opt = 0.0f);

  PluginLibrary library_;
  AEffect* effect_ = nullptr;
  bool running_ = false;
  bool useDouble_ = false;
  int rate_ = 44100;
  int block_ = 512;
  double tempo_ = 120.0;
  double samplePos_ = 0.0;
  VstTimeInfo timeInfo_{};
  std::vector<double> doubleIn_[2], doubleOut_[2];
  std::vector<float> floatIn_[2], floatOut_[2];
  std::vector<double> spareInD_, spareOutD_;
  std::vector<float> spareInF_, spareOutF_;
  std::vector<double*> insD_, outsD_;
  std::vector<float*> insF_, outsF_;
};
