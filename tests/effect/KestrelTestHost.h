#pragma once
// A minimal stand-in for a VST host: answers the time request with a tempo
// the test chooses, counts requests, and owns one Kestrel instance prepared
// the way a host prepares it before audio (sample rate, reset, every
// parameter applied once).
#include <memory>
#include <vector>

#include "effect/Kestrel.h"

class KestrelTestHost {
 public:
  explicit KestrelTestHost(double sampleRate = 44100.0);
  ~KestrelTestHost();

  Kestrel& effect() { return *effect_; }

  // Tempo the host reports; 0 reports no valid tempo.
  static void SetTempo(double bpm);
  static int TimeRequests();
  static void ResetTimeRequests();

  // Sets a parameter in its own units and applies it, as a host text entry
  // or state load would.
  void Set(int index, double value);
  bool LoadPreset(int index);

  // One block through ProcessDouble under the plug-in lock.
  void Process(const double* inL, const double* inR, double* outL, double* outR, int frames);
  // Convenience: processes `frames` of the given constant input pair and
  // returns the outputs.
  void ProcessConstant(double left, double right, int frames, std::vector<double>& outL,
                       std::vector<double>& outR);

 private:
  std::unique_ptr<Kestrel> effect_;
};
