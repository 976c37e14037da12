#pragma once
// What the tests that compare one plug-in format's renders with another's
// feed them: the same stereo test signal and the same way of cutting it
// into host blocks.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

struct Stereo {
  std::vector<float> left, right;
  bool operator==(const Stereo& o) const { return left == o.left && right == o.right; }
};

// A tone with noise on the left, noise bursts on the right.
inline Stereo TestInput(int frames) {
  Stereo in{std::vector<float>(frames), std::vector<float>(frames)};
  uint32_t noise = 12345;
  for (int i = 0; i < frames; ++i) {
    noise = noise * 1664525u + 1013904223u;
    const float n = static_cast<float>(noise >> 8) / 16777216.0f - 0.5f;
    in.left[i] = 0.5f * std::sin(0.03f * static_cast<float>(i)) + 0.2f * n;
    in.right[i] = (i % 9000 < 400 ? 0.8f : 0.05f) * n;
  }
  return in;
}

// run(start, frames) for each block, the sizes taken from `blocks` in turn.
template <typename Run>
void ForEachBlock(int frames, const int* blocks, int count, Run run) {
  for (int start = 0, b = 0; start < frames; ++b) {
    const int n = std::min(blocks[b % count], frames - start);
    run(start, n);
    start += n;
  }
}
