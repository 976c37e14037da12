// Text on Windows. Fonts are GDI fonts; text normally goes through DrawText
// straight into the destination's device context. Where that cannot give
// the right result (under Wine, for a colour with partial alpha, for fonts
// that ask for pre-rendering) the text is rendered white on black into a
// scratch bitmap and its coverage blended into the destination's pixels.
#include <windows.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "raster/Blit.h"
#include "raster/PlatformText.h"
#include "raster/SystemBitmap.h"
#include "raster/TextBlend.h"
#include "raster/TextEncoding.h"
#include "raster/win32/SystemQueries.h"

namespace raster {
namespace {

constexpr int kMeasureSide = 256;
constexpr int kMaxScratchSide = 8192;
constexpr int kLocalWideChars = 1024;

HFONT Gdi(NativeFont font) { return reinterpret_cast<HFONT>(font); }
HDC Gdi(DeviceContext dc) { return reinterpret_cast<HDC>(dc); }
COLORREF Rgb(Pixel p) { return RGB(ChannelOf(p, kRed), ChannelOf(p, kGreen), ChannelOf(p, kBlue)); }

// Process-wide bitmaps of the drawing code; used from user-interface threads.
SystemBitmap& MeasuringBitmap() {
  static SystemBitmap bitmap;
  if (bitmap.Width() < kMeasureSide || bitmap.Height() < kMeasureSide) {
    bitmap.Resize(kMeasureSide, kMeasureSide);
    if (HDC dc = Gdi(bitmap.Context())) {
      SetTextColor(dc, RGB(255, 255, 255));
      SetBkMode(dc, OPAQUE);
      SetBkColor(dc, RGB(0, 0, 0));
    }
  }
  return bitmap;
}

SystemBitmap& ScratchBitmap(int width, int height) {
  static SystemBitmap bitmap;
  if (bitmap.Width() < width || bitmap.Height() < height)
    bitmap.Resize(std::max(bitmap.Width(), width), std::max(bitmap.Height(), height));
  return bitmap;
}

// Calls DrawTextW for valid multi-byte UTF-8 on NT systems, DrawTextA with
// the bytes as they are otherwise.
int SystemDrawText(HDC dc, const char* text, size_t length, RECT* rect, UINT flags) {
  if (win32::IsNtBasedSystem() && text::IsMultiByteUtf8(text, length)) {
    const std::u32string codePoints = text::DecodeDisplayText(text, length);
    const size_t units = text::Utf16Length(codePoints);
    wchar_t local[kLocalWideChars];
    std::unique_ptr<wchar_t[]> heap;
    wchar_t* wide = local;
    if (units >= kLocalWideChars - 24) {
      heap.reset(new wchar_t[units + 1]);
      wide = heap.get();
    }
    text::ToUtf16(codePoints, reinterpret_cast<char16_t*>(wide));
    return DrawTextW(dc, wide, static_cast<int>(units), rect, flags);
  }
  return DrawTextA(dc, text, static_cast<int>(std::min<size_t>(length, 0x7FFFFFFF)), rect, flags);
}

// Draws with the font's colour and background state into dc, restoring the
// context's previous font.
int DrawInto(HDC dc, const Font& font, const char* text, size_t length, RECT rect, UINT flags, Pixel colour,
             int backgroundMode, Pixel background) {
  HGDIOBJ previous = SelectObject(dc, Gdi(font.Handle()));
  SetTextColor(dc, Rgb(colour));
  SetBkMode(dc, backgroundMode == kBackgroundOpaque ? OPAQUE : TRANSPARENT);
  if (backgroundMode == kBackgroundOpaque) SetBkColor(dc, Rgb(background));
  const int result = SystemDrawText(dc, text, length, &rect, flags | DT_NOPREFIX);
  SelectObject(dc, previous);
  return result;
}

struct ScratchArea {
  int width, height;
};

ScratchArea AreaOf(const TextBounds& b) {
  return {std::clamp(b.right - b.left, 1, kMaxScratchSide), std::clamp(b.bottom - b.top, 1, kMaxScratchSide)};
}

int DrawThroughSystem(const platform::TextJob& job) {
  const Font& font = *job.font;
  const UINT flags = static_cast<UINT>(job.flags & ~kTextBlendAlpha);
  if (HDC dc = Gdi(job.destination->Context())) {
    const RECT rect{job.bounds.left, job.bounds.top, job.bounds.right, job.bounds.bottom};
    return DrawInto(dc, font, job.text, job.length, rect, flags, font.TextColour(), font.BackgroundMode(),
                    font.BackgroundColour());
  }
  // No context: draw over a copy of the destination area, then copy it back
  // at the font's weight.
  const ScratchArea area = AreaOf(job.bounds);
  SystemBitmap& scratch = ScratchBitmap(area.width, area.height);
  HDC dc = Gdi(scratch.Context());
  if (!dc || !scratch.Pixels()) return 0;
  Blit(&scratch, job.destination, 0, 0, job.bounds.left, job.bounds.top, area.width, area.height, 1.0f, kBlitCopy);
  const int result = DrawInto(dc, font, job.text, job.length, RECT{0, 0, area.width, area.height}, flags,
                              font.TextColour(), font.BackgroundMode(), font.BackgroundColour());
  GdiFlush();
  Blit(job.destination, &scratch, job.bounds.left, job.bounds.top, 0, 0, area.width, area.height,
       font.CombineWeight(), kBlitCopy);
  return result;
}

int DrawThroughCoverage(const platform::TextJob& job) {
  const Font& font = *job.font;
  Bitmap& destination = *job.destination;
  const UINT flags = static_cast<UINT>(job.flags & ~kTextBlendAlpha);
  const TextBounds& b = job.bounds;
  // Measure first: the text may spill past the bounds (no-clip), and the
  // scratch area has to hold all of it.
  RECT extent{b.left, b.top, b.right, b.bottom};
  if (HDC measure = Gdi(MeasuringBitmap().Context())) {
    HGDIOBJ previous = SelectObject(measure, Gdi(font.Handle()));
    SystemDrawText(measure, job.text, job.length, &extent, flags | DT_NOPREFIX | DT_CALCRECT);
    SelectObject(measure, previous);
  }
  const int textW = extent.right - extent.left, textH = extent.bottom - extent.top;
  const int inkLeft = text::AlignedLeft(b, textW, job.flags), inkTop = text::AlignedTop(b, textH, job.flags);
  const int left = std::min(b.left, inkLeft), top = std::min(b.top, inkTop);
  const int width = std::clamp(std::max(b.right, inkLeft + textW) - left, 1, kMaxScratchSide);
  const int height = std::clamp(std::max(b.bottom, inkTop + textH) - top, 1, kMaxScratchSide);

  SystemBitmap& scratch = ScratchBitmap(width, height);
  HDC dc = Gdi(scratch.Context());
  if (!dc || !scratch.Pixels()) return 0;
  for (int y = 0; y < height; ++y) std::fill(scratch.Row(y), scratch.Row(y) + width, Pixel(0));
  const text::ClipRect clip = text::TextClip(destination, b, (job.flags & kTextNoClip) != 0);
  if (font.BackgroundMode() == kBackgroundOpaque)
    text::FillRect(destination, inkLeft, inkTop, inkLeft + textW, inkTop + textH, font.BackgroundColour(), clip);
  const RECT rect{b.left - left, b.top - top, b.right - left, b.bottom - top};
  const int result = DrawInto(dc, font, job.text, job.length, rect, flags, 0xFFFFFFFFu, kBackgroundTransparent, 0);
  GdiFlush();
  // Coverage: the brightest channel, so ClearType's coloured fringes count.
  std::vector<uint8_t> coverage(static_cast<size_t>(width) * height);
  for (int y = 0; y < height; ++y) {
    const Pixel* row = scratch.Row(y);
    for (int x = 0; x < width; ++x) {
      const Pixel p = row[x];
      coverage[static_cast<size_t>(y) * width + x] =
          static_cast<uint8_t>(std::max({ChannelOf(p, kRed), ChannelOf(p, kGreen), ChannelOf(p, kBlue)}));
    }
  }
  text::BlendCoverage(destination, left, top, coverage.data(), width, width, height, font.TextColour(),
                      text::TextAlpha(font.TextColour(), job.flags, font.CombineWeight()), clip);
  return result;
}

}  // namespace

NativeFont CreateNativeFont(const FontRequest& request) {
  static const DWORD kQualities[] = {DEFAULT_QUALITY, NONANTIALIASED_QUALITY, ANTIALIASED_QUALITY, CLEARTYPE_QUALITY};
  const DWORD quality = request.quality >= 0 && request.quality <= 3 ? kQualities[request.quality] : DEFAULT_QUALITY;
  HFONT font = CreateFontA(request.height, 0, request.escapementTenths, request.escapementTenths, request.weight,
                           request.italic ? TRUE : FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                           CLIP_DEFAULT_PRECIS, quality, DEFAULT_PITCH, request.face ? request.face : "");
  return reinterpret_cast<NativeFont>(font);
}

void DeleteNativeFont(NativeFont font) {
  if (font) DeleteObject(Gdi(font));
}

namespace platform {

int FontLineHeight(NativeFont font) {
  SystemBitmap& measure = MeasuringBitmap();
  HDC dc = Gdi(measure.Context());
  if (!dc) return 0;
  HGDIOBJ previous = SelectObject(dc, Gdi(font));
  TEXTMETRICA metrics{};
  const int height = GetTextMetricsA(dc, &metrics) ? metrics.tmHeight : 0;
  SelectObject(dc, previous);
  return height;
}

int RenderText(const TextJob& job) {
  const Font& font = *job.font;
  const bool systemPath = (font.Flags() & kFontSystemRenderer) && font.Handle() &&
                          !(job.flags & kTextBlendAlpha) && !win32::RunningUnderWine() &&
                          !(font.Flags() & kFontPrerender);
  return systemPath ? DrawThroughSystem(job) : DrawThroughCoverage(job);
}

}  // namespace platform
}  // namespace raster
