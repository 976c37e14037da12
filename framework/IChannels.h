#pragma once
#include <vector>

// One legal channel configuration ("inputs-outputs").
struct IChannelIO {
  int inputs = 0;
  int outputs = 0;
};

// Per-channel records. `slot` is this channel's entry in the base's pointer
// array; a disconnected channel's entry refers to its zero-filled scratch.
// The host pointers are valid only during the block they were bound for.
struct IInputChannel {
  bool connected = false;
  double** slot = nullptr;
  std::vector<double> scratch;
  const float* hostSingle = nullptr;   // bound single-precision source
  double* hostDouble = nullptr;        // bound double-precision buffer
};

struct IOutputChannel {
  bool connected = false;
  double** slot = nullptr;
  float* singleDestination = nullptr;  // host float buffer for this block
  std::vector<double> scratch;
  double* hostDouble = nullptr;        // bound double-precision buffer
};
