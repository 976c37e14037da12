// System bitmaps on Windows: a memory device context compatible with the
// screen and a 32-bit DIB section selected into it, so GDI text and BitBlt
// to the window work on the very pixels the library blends.
#include <windows.h>

#include "raster/PlatformSurface.h"

namespace raster::platform {
namespace {
HDC Dc(const Surface& s) { return reinterpret_cast<HDC>(s.context); }
}  // namespace

bool OpenSurface(Surface& surface) {
  HDC dc = CreateCompatibleDC(nullptr);
  surface.context = reinterpret_cast<DeviceContext>(dc);
  surface.open = dc != nullptr;
  return surface.open;
}

void CloseSurface(Surface& surface) {
  DestroySurfacePixels(surface);
  if (surface.context) DeleteDC(Dc(surface));
  surface.context = nullptr;
  surface.open = false;
}

bool CreateSurfacePixels(Surface& surface, int width, int height, bool flipped) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);  // 40
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = flipped ? height : -height;  // negative: top-down rows
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP section = CreateDIBSection(Dc(surface), &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!section || !bits) {
    if (section) DeleteObject(section);
    surface.pixels = nullptr;
    return false;
  }
  HGDIOBJ previous = SelectObject(Dc(surface), section);
  if (!surface.previousSelection) surface.previousSelection = previous;
  surface.section = section;
  surface.pixels = static_cast<Pixel*>(bits);
  return true;
}

void DestroySurfacePixels(Surface& surface) {
  if (surface.section) {
    if (surface.previousSelection) {
      SelectObject(Dc(surface), static_cast<HGDIOBJ>(surface.previousSelection));
      surface.previousSelection = nullptr;
    }
    DeleteObject(static_cast<HBITMAP>(surface.section));
  }
  surface.section = nullptr;
  surface.pixels = nullptr;
}

}  // namespace raster::platform
