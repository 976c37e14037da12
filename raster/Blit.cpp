#include "raster/Blit.h"

#include <cstring>

#include "raster/BlendRules.h"
#include "raster/MemoryBitmap.h"

namespace raster {
namespace {

struct Region {
  long long sL, sT, sR, sB;  // source rectangle, right/bottom exclusive
  long long dx, dy;          // destination of its top-left pixel
};

// Cuts the region to the source, then to the destination, moving both ends
// together so the surviving pixels keep their places.
bool Clip(Region& r, int srcW, int srcH, int dstW, int dstH) {
  if (r.sR > srcW) r.sR = srcW;
  if (r.sB > srcH) r.sB = srcH;
  if (r.sL < 0) { r.dx -= r.sL; r.sL = 0; }
  if (r.sT < 0) { r.dy -= r.sT; r.sT = 0; }
  if (r.dx < 0) { r.sL -= r.dx; r.dx = 0; }
  if (r.dy < 0) { r.sT -= r.dy; r.dy = 0; }
  if (r.dx + (r.sR - r.sL) > dstW) r.sR = r.sL + (dstW - r.dx);
  if (r.dy + (r.sB - r.sT) > dstH) r.sB = r.sT + (dstH - r.dy);
  return r.sL < r.sR && r.sT < r.sB;
}

// Scaled weight as the integer rules want it; non-positive or NaN weights
// give 0 (nothing), huge ones are held where the arithmetic cannot overflow.
int ScaledWeight(float weight) {
  const double scaled = static_cast<double>(weight) * 256.0;
  if (!(scaled > 0.0)) return 0;
  if (scaled > 65536.0) return 65536;
  return static_cast<int>(scaled);
}

template <typename Rule>
void ForEachPixel(Bitmap& dst, Bitmap& src, const Region& r, Rule rule) {
  const int w = static_cast<int>(r.sR - r.sL);
  for (long long y = 0; y < r.sB - r.sT; ++y) {
    const Pixel* s = src.Row(static_cast<int>(r.sT + y)) + r.sL;
    Pixel* d = dst.Row(static_cast<int>(r.dy + y)) + r.dx;
    for (int x = 0; x < w; ++x) d[x] = rule(s[x], d[x]);
  }
}

void CopyRows(Bitmap& dst, Bitmap& src, const Region& r) {
  const size_t bytes = static_cast<size_t>(r.sR - r.sL) * sizeof(Pixel);
  for (long long y = 0; y < r.sB - r.sT; ++y) {
    std::memcpy(dst.Row(static_cast<int>(r.dy + y)) + r.dx, src.Row(static_cast<int>(r.sT + y)) + r.sL, bytes);
  }
}

void ChannelCopy(Bitmap& dst, Bitmap& src, const Region& r, int op) {
  const int from = 8 * (op & 3), to = 8 * ((op >> 2) & 3);
  ForEachPixel(dst, src, r, [=](Pixel s, Pixel d) {
    return (d & ~(Pixel(0xFF) << to)) | (((s >> from) & 0xFFu) << to);
  });
}

void Apply(Bitmap& dst, Bitmap& src, const Region& r, float weight, int mode) {
  const int op = mode & kBlitOperationMask;
  if (op >= kBlitChannelCopy) return ChannelCopy(dst, src, r, op);
  const bool bySourceAlpha = (mode & kBlitUseSourceAlpha) != 0;
  if (!bySourceAlpha && op == kBlitCopy) {
    // Full weight and half weight are the editor's hot paths.
    if (weight == 1.0f) return CopyRows(dst, src, r);
    if (weight == 0.5f) return ForEachPixel(dst, src, r, blend::Average);
  }
  const int iw = ScaledWeight(weight);
  if (iw == 0) return;
  const int capped = iw > 256 ? 256 : iw;
  using namespace blend;
  if (bySourceAlpha) {
    switch (op) {
      case kBlitCopy: return ForEachPixel(dst, src, r, [=](Pixel s, Pixel d) { return CopyBySourceAlpha(s, d, capped); });
      case kBlitAdd: return ForEachPixel(dst, src, r, [=](Pixel s, Pixel d) { return AddBySourceAlpha(s, d, iw); });
      case kBlitDodge: return ForEachPixel(dst, src, r, [=](Pixel s, Pixel d) { return DodgeBySourceAlpha(s, d, iw); });
      default: return;  // no further source-alpha operations
    }
  }
  switch (op) {
    case kBlitCopy: return ForEachPixel(dst, src, r, [=](Pixel s, Pixel d) { return Copy(s, d, capped); });
    case kBlitAdd: return ForEachPixel(dst, src, r, [=](Pixel s, Pixel d) { return Add(s, d, iw); });
    case kBlitDodge: return ForEachPixel(dst, src, r, [=](Pixel s, Pixel d) { return Dodge(s, d, iw); });
    case kBlitMultiply: return ForEachPixel(dst, src, r, [=](Pixel s, Pixel d) { return Multiply(s, d, capped); });
    default: return;
  }
}

bool Overlaps(const Region& r) {
  const long long w = r.sR - r.sL, h = r.sB - r.sT;
  return r.dx < r.sR && r.sL < r.dx + w && r.dy < r.sB && r.sT < r.dy + h;
}

}  // namespace

void Blit(Bitmap* destination, Bitmap* source, int dstX, int dstY, int srcX, int srcY, int width,
          int height, float weight, int mode) {
  if (!destination || !source || weight == 0.0f) return;
  if (!destination->Pixels() || !source->Pixels()) return;
  Region r{srcX, srcY, static_cast<long long>(srcX) + width, static_cast<long long>(srcY) + height, dstX, dstY};
  if (!Clip(r, source->Width(), source->Height(), destination->Width(), destination->Height())) return;

  if (destination == source && Overlaps(r)) {
    // Blending within one bitmap would read pixels it has already written:
    // work from a snapshot of the source block instead.
    const int w = static_cast<int>(r.sR - r.sL), h = static_cast<int>(r.sB - r.sT);
    MemoryBitmap snapshot(w, h);
    if (!snapshot.Pixels()) return;
    const Region whole{r.sL, r.sT, r.sR, r.sB, 0, 0};
    CopyRows(snapshot, *source, whole);
    const Region fromSnapshot{0, 0, w, h, r.dx, r.dy};
    return Apply(*destination, snapshot, fromSnapshot, weight, mode);
  }
  Apply(*destination, *source, r, weight, mode);
}

}  // namespace raster
