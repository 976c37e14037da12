#pragma once

struct ITextStyle;
namespace raster {
class Font;
}

// Fonts for the editor's text, shared by every plug-in instance of the
// process. Keyed by size, orientation, style and face: colour, alignment and
// quality are not part of the key, so styles differing only in those share
// the font made first. The lock covers only the search and the insertion.
namespace IFontCache {
// The cached font for the style, made on first use; null when the system
// refuses the font (nothing is cached then, so the next call tries again).
raster::Font* FontFor(const ITextStyle& style);
}  // namespace IFontCache
