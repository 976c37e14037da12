#pragma once
#include "raster/Bitmap.h"
#include "raster/NativeFont.h"

namespace raster {

enum FontFlag : int {
  kFontPrerender = 0x4,         // render characters 0-127 ahead of use
  kFontOwnsHandle = 0x200,      // delete the native font when replaced or destroyed
  kFontSystemRenderer = 0x400,  // draw through the system text renderer
};

// Text drawing flags; the values are those of the Windows DrawText call.
enum TextFlag : int {
  kTextCentre = 0x1,
  kTextRight = 0x2,
  kTextVerticalCentre = 0x4,  // with kTextSingleLine
  kTextBottom = 0x8,          // with kTextSingleLine
  kTextSingleLine = 0x20,
  kTextNoClip = 0x100,
  kTextNoPrefix = 0x800,
  kTextBlendAlpha = 0x40000000,  // blend by the text colour's alpha
};

enum BackgroundMode : int { kBackgroundTransparent = 1, kBackgroundOpaque = 2 };

struct TextBounds {
  int left = 0, top = 0, right = 0, bottom = 0;
};

// A font plus the colours and modes text is drawn with. No lock: use one
// font from one user-interface thread at a time.
class Font {
 public:
  Font() = default;
  ~Font();
  Font(const Font&) = delete;
  Font& operator=(const Font&) = delete;

  // Takes the native font (and ownership of it with kFontOwnsHandle) and
  // measures its line height. The previously owned font is deleted unless it
  // is the same one.
  void SetFont(NativeFont handle, int flags);
  void SetTextColour(Pixel argb) { textColour_ = argb; }
  void SetBackgroundColour(Pixel argb) { backgroundColour_ = argb; }
  void SetBackgroundMode(int mode) { backgroundMode_ = mode; }
  void SetCombineWeight(float weight) { weight_ = weight; }

  Pixel TextColour() const { return textColour_; }
  Pixel BackgroundColour() const { return backgroundColour_; }
  int BackgroundMode() const { return backgroundMode_; }
  float CombineWeight() const { return weight_; }
  int Flags() const { return flags_; }
  int LineHeight() const { return lineHeight_; }
  NativeFont Handle() const { return handle_; }

  // Draws length bytes of text (-1: up to the terminating zero) into bounds
  // of destination, laid out from the top. Returns the height of the drawn
  // text as the system renderer reports it; 0 when nothing was drawn.
  // (Not named DrawText: windows.h defines that as a macro.)
  int RenderText(Bitmap* destination, const char* text, int length, const TextBounds& bounds, int flags);

 private:
  Pixel textColour_ = 0xFF000000u;
  Pixel backgroundColour_ = 0xFFFFFFFFu;
  int backgroundMode_ = kBackgroundTransparent;
  float weight_ = 1.0f;
  int flags_ = 0;
  int lineHeight_ = 0;
  NativeFont handle_ = nullptr;
};

}  // namespace raster
