#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace raster {
class Bitmap;
class Font;
}  // namespace raster

// Small value types shared by the editor view, its controls and the window
// layers. Coordinates are editor pixels, origin at the top left.

// A rectangle; R and B are exclusive. Only (0, 0, 0, 0) counts as empty.
struct IBounds {
  int32_t L = 0, T = 0, R = 0, B = 0;

  bool Empty() const { return L == 0 && T == 0 && R == 0 && B == 0; }
  int W() const { return R - L; }
  int H() const { return B - T; }
  // Edges that merely touch (a.R == b.L, a.B == b.T) still overlap, so a
  // control whose right edge meets the draw bounds is repainted with them.
  IBounds Intersect(const IBounds& other) const;
  IBounds Union(const IBounds& other) const;
  bool Contains(int x, int y) const { return !Empty() && L <= x && x < R && T <= y && y < B; }
  bool operator==(const IBounds& o) const { return L == o.L && T == o.T && R == o.R && B == o.B; }
};

struct IRgba {
  int32_t A = 255, R = 0, G = 0, B = 0;
  uint32_t Packed() const {
    return (static_cast<uint32_t>(A & 0xFF) << 24) | (static_cast<uint32_t>(R & 0xFF) << 16) |
           (static_cast<uint32_t>(G & 0xFF) << 8) | static_cast<uint32_t>(B & 0xFF);
  }
};

struct ITextStyle {
  enum Style { kNormal = 0, kBold = 1, kItalic = 2 };
  enum Align { kAlignLeft = 0, kAlignCentre = 1, kAlignRight = 2 };
  static constexpr int kFaceSize = 32;

  char face[kFaceSize] = "Verdana";
  int size = 12;  // the font's cell height in pixels
  IRgba colour{255, 0, 0, 0};
  int style = kNormal;
  int align = kAlignCentre;
  int orientation = 0;  // degrees
  int quality = 0;      // 0 default, 1 non-antialiased, 2 antialiased, 3 ClearType
  raster::Font* font = nullptr;  // the cached font, found on first use (not owned)
  int fontSize = 0;              // the pixel height font was made at (size at the scale)
};

// An image of the bitmap cache; frames are stacked vertically. The size is
// in logical pixels (the 100 % image); the view draws other scales from the
// image's master (resourceId + kMasterIdOffset, drawn at the master scale).
struct IImage {
  static constexpr int kMasterIdOffset = 100;
  raster::Bitmap* bitmap = nullptr;  // owned by the cache; null when loading failed
  int width = 0;
  int height = 0;
  int frames = 1;
  int resourceId = 0;
  const char* fileName = nullptr;  // a literal: kept, never copied
};

struct IBlend {
  enum Method { kNone = 0, kCopy = 1, kAdd = 2, kColourDodge = 3 };
  int method = kNone;
  float weight = 1.0f;
};

struct IMouseMods {
  bool left = false, right = false, shift = false, control = false, alt = false;
};

// The editor's own key numbering; keys outside it never reach the view.
enum IKeyCode : int {
  kKeySpace = 0,
  kKeyUp = 1,
  kKeyDown = 2,
  kKeyLeft = 3,
  kKeyRight = 4,
  kKeyDigit0 = 5,   // ... kKeyDigit0 + 9
  kKeyLetterA = 15, // ... kKeyLetterA + 25
  kKeyCodeCount = 41,
};

struct IMenuItem {
  enum Flags { kGreyed = 1, kDisabled = 2, kChecked = 4, kSeparator = 8 };
  std::string text;
  struct IMenu* submenu = nullptr;
  int flags = 0;
};

struct IMenu {
  enum Numbering { kPlain = 0, kOneDigit = 1, kTwoDigits = 2, kThreeDigits = 3 };
  int numbering = kPlain;
  int chosen = -1;
  std::vector<IMenuItem> items;
  // Where the menu wants to appear: at the mouse cursor (a control's own
  // value menu) or below its anchor bounds (a value prompt).
  bool atCursor = false;
  // The item matching the value shown now, for layers that highlight it;
  // -1 when none does.
  int current = -1;

  // An item's text as a menu shows it: with its 1-based number in the
  // menu's numbering mode ("09: text" in two-digit mode).
  std::string ItemLabel(int index) const;
};
