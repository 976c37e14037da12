#pragma once
#include "engine/AudioModule.h"

// Master gain: scales its input sum.
class Gain final : public AudioModule {
 public:
  void Process() override { output = gain * InputSum(); }

  double gain = 1.0;
};
