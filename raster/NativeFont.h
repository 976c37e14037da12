#pragma once

// A font of the system text renderer: an HFONT on Windows, a FreeType face
// chosen through fontconfig elsewhere. Created and destroyed on user-interface
// threads only.
namespace raster {

struct NativeFontTag;
using NativeFont = NativeFontTag*;

enum FontQuality : int {
  kQualityDefault = 0,
  kQualityNonAntialiased = 1,
  kQualityAntialiased = 2,
  kQualityClearType = 3,
};

struct FontRequest {
  const char* face = "Verdana";
  // Positive: cell height in pixels (ascent + descent). Negative: the em
  // size. 0: the system's default size.
  int height = 12;
  int weight = 400;  // 400 normal, 700 bold
  bool italic = false;
  int escapementTenths = 0;  // text angle in tenths of a degree
  int quality = kQualityDefault;
};

// Null when the system refuses the font. Faces that are not installed are
// replaced by the closest installed one (on Linux: Verdana, then DejaVu Sans).
NativeFont CreateNativeFont(const FontRequest& request);
void DeleteNativeFont(NativeFont font);

}  // namespace raster
