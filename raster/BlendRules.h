#pragma once
// Per-pixel blend arithmetic of the blit. Everything is integer arithmetic on
// straight-alpha bytes; divisions truncate toward zero exactly as written, so
// results are identical on every platform. iw is the weight scaled to 256.
#include <algorithm>

#include "raster/Pixel.h"

namespace raster::blend {

inline Pixel Lerp4(Pixel s, Pixel d, int keep /* of 256, share of d */) {
  Pixel out = 0;
  for (int c = 0; c < 4; ++c) {
    const int sc = ChannelOf(s, c), dc = ChannelOf(d, c);
    out |= static_cast<Pixel>(sc + (dc - sc) * keep / 256) << (8 * c);
  }
  return out;
}

inline Pixel Average(Pixel s, Pixel d) { return ((s >> 1) & 0x7F7F7F7Fu) + ((d >> 1) & 0x7F7F7F7Fu); }

inline Pixel Copy(Pixel s, Pixel d, int iw) { return iw >= 256 ? s : Lerp4(s, d, 256 - iw); }

inline Pixel Add(Pixel s, Pixel d, int iw) {
  Pixel out = 0;
  for (int c = 0; c < 4; ++c)
    out |= static_cast<Pixel>(ClampByte(ChannelOf(d, c) + ChannelOf(s, c) * iw / 256)) << (8 * c);
  return out;
}

inline int DodgeByte(int dc, int x) { return ClampByte(x > 254 ? dc * 256 : dc * 256 / (256 - x)); }

inline Pixel Dodge(Pixel s, Pixel d, int iw) {
  Pixel out = 0;
  for (int c = 0; c < 4; ++c)
    out |= static_cast<Pixel>(DodgeByte(ChannelOf(d, c), ChannelOf(s, c) * iw / 256)) << (8 * c);
  return out;
}

inline Pixel Multiply(Pixel s, Pixel d, int iw) {
  Pixel out = 0;
  for (int c = 0; c < 4; ++c)
    out |= static_cast<Pixel>((iw * ChannelOf(s, c) + (256 - iw) * 256) * ChannelOf(d, c) / 65536) << (8 * c);
  return out;
}

// Colour channels move toward the source by `keep` (share of d, of 256);
// alpha accumulates by `alphaAdd`. Written out per channel: this is the
// editor's per-pixel hot path.
inline Pixel MixColour(Pixel s, Pixel d, int keep, int alphaAdd) {
  const int sb = ChannelOf(s, kBlue), sg = ChannelOf(s, kGreen), sr = ChannelOf(s, kRed);
  const int db = ChannelOf(d, kBlue), dg = ChannelOf(d, kGreen), dr = ChannelOf(d, kRed);
  const int a = std::min(ChannelOf(d, kAlpha) + alphaAdd, 255);
  return static_cast<Pixel>(a) << 24 | static_cast<Pixel>(sr + (dr - sr) * keep / 256) << 16 |
         static_cast<Pixel>(sg + (dg - sg) * keep / 256) << 8 | static_cast<Pixel>(sb + (db - sb) * keep / 256);
}

inline Pixel CopyBySourceAlpha(Pixel s, Pixel d, int iw) {
  const int sa = ChannelOf(s, kAlpha);
  if (sa == 0) return d;
  if (iw >= 256) {
    if (sa == 255) return s | 0xFF000000u;
    return MixColour(s, d, 255 - sa, sa);
  }
  const int k = iw * (sa + 1) / 256;
  return MixColour(s, d, 256 - k, k);
}

inline Pixel AddBySourceAlpha(Pixel s, Pixel d, int iw) {
  const int sa = ChannelOf(s, kAlpha);
  if (sa == 0) return d;
  const int k = iw * (sa + 1) / 256;
  Pixel out = static_cast<Pixel>(ClampByte(ChannelOf(d, kAlpha) + sa * k / 256)) << 24;
  for (int c = 0; c < 3; ++c)
    out |= static_cast<Pixel>(ClampByte(ChannelOf(d, c) + k * ChannelOf(s, c) / 256)) << (8 * c);
  return out;
}

inline Pixel DodgeBySourceAlpha(Pixel s, Pixel d, int iw) {
  const int k = iw * (ChannelOf(s, kAlpha) + 1) / 256;
  Pixel out = 0;
  for (int c = 0; c < 4; ++c)
    out |= static_cast<Pixel>(DodgeByte(ChannelOf(d, c), k * ChannelOf(s, c) / 256)) << (8 * c);
  return out;
}

}  // namespace raster::blend
