#pragma once
#include "engine/AudioModule.h"

// Linear panner fed directly by its master (not routable). `position` 0
// sends everything to the left part, 1 to the right part.
class Pan final : public AudioModule {
 public:
  void Split(double x) {
    rightPart = x * position;
    leftPart = (1.0 - position) * x;
  }

  double position = 1.0;
  double leftPart = 0.0;
  double rightPart = 0.0;
};
