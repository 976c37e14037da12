#pragma once
#include "engine/AudioModule.h"

// Feedback node of one delay: sums whatever the matrix routes into it; the
// sample loop injects that sum into its delay line scaled by the delay's
// `feedback`.
class Feedback final : public AudioModule {
 public:
  void Process() override { output = InputSum(); }
};
