#include "raster/Reduce.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace raster {
namespace {

struct Tap {
  int index;
  float weight;
};

// For each of count destination cells, the source cells [i r, (i + 1) r)
// covers inside [0, limit), with their covered fractions.
std::vector<std::vector<Tap>> Taps(int count, double ratio, int limit) {
  std::vector<std::vector<Tap>> taps(static_cast<size_t>(count));
  for (int i = 0; i < count; ++i) {
    const double from = i * ratio, to = std::min((i + 1) * ratio, static_cast<double>(limit));
    for (int s = static_cast<int>(std::floor(from)); s < to && s < limit; ++s) {
      const double covered = std::min(to, s + 1.0) - std::max(from, static_cast<double>(s));
      if (covered > 1e-9) taps[static_cast<size_t>(i)].push_back(Tap{s, static_cast<float>(covered)});
    }
  }
  return taps;
}

}  // namespace

void ReduceArea(const Bitmap& source, int srcTop, int srcRows, double ratio, Bitmap& destination, int dstTop,
                int dstRows) {
  auto& src = const_cast<Bitmap&>(source);
  const int srcWidth = src.Width(), width = destination.Width();
  if (ratio < 1.0 || srcTop < 0 || srcRows <= 0 || srcTop + srcRows > src.Height() || dstTop < 0 ||
      dstTop + dstRows > destination.Height() || width <= 0 || !src.Pixels() || !destination.Pixels())
    return;
  const auto columns = Taps(width, ratio, srcWidth);
  const auto rows = Taps(dstRows, ratio, srcRows);
  // Alpha-weighted sums (a, a r, a g, a b) of one source row per destination column.
  std::vector<float> sum(static_cast<size_t>(width) * 4);
  for (int y = 0; y < dstRows; ++y) {
    std::fill(sum.begin(), sum.end(), 0.0f);
    float area = 0.0f;
    for (const Tap& row : rows[static_cast<size_t>(y)]) {
      const Pixel* in = src.Row(srcTop + row.index);
      for (int x = 0; x < width; ++x) {
        float a = 0, r = 0, g = 0, b = 0;
        for (const Tap& col : columns[static_cast<size_t>(x)]) {
          const Pixel p = in[col.index];
          const float w = col.weight * static_cast<float>(ChannelOf(p, kAlpha));
          a += w;
          r += w * static_cast<float>(ChannelOf(p, kRed));
          g += w * static_cast<float>(ChannelOf(p, kGreen));
          b += w * static_cast<float>(ChannelOf(p, kBlue));
        }
        float* s = &sum[static_cast<size_t>(x) * 4];
        s[0] += row.weight * a, s[1] += row.weight * r, s[2] += row.weight * g, s[3] += row.weight * b;
      }
      area += row.weight;
    }
    Pixel* out = destination.Row(dstTop + y);
    for (int x = 0; x < width; ++x) {
      float cover = 0;
      for (const Tap& col : columns[static_cast<size_t>(x)]) cover += col.weight;
      const float* s = &sum[static_cast<size_t>(x) * 4];
      const float total = cover * area;
      if (total <= 0 || s[0] <= 0) {
        out[x] = 0;
        continue;
      }
      auto byte = [](float v) { return ClampByte(static_cast<int>(v + 0.5f)); };
      out[x] = PackPixel(byte(s[0] / total), byte(s[1] / s[0]), byte(s[2] / s[0]), byte(s[3] / s[0]));
    }
  }
}

}  // namespace raster
