#pragma once
// A stereo signal in double precision, the renderer's working format.

#include <cstddef>
#include <vector>

struct StereoAudio {
  int rate = 44100;
  std::vector<double> left;
  std::vector<double> right;

  std::size_t Frames() const { return left.size(); }
  void Resize(std::size_t frames) {
    left.assign(frames, 0.0);
    right.assign(frames, 0.0);
  }
};
