#include "tools/make-artwork/TypeFace.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include "raster/TextBlend.h"

namespace {

FT_Library Library() {
  static FT_Library library = [] {
    FT_Library lib = nullptr;
    return FT_Init_FreeType(&lib) == 0 ? lib : nullptr;
  }();
  return library;
}

}  // namespace

TypeFace::TypeFace(const char* path, int pixelSize) {
  FT_Face face = nullptr;
  if (!Library() || FT_New_Face(Library(), path, 0, &face) != 0) return;
  if (FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(pixelSize)) != 0) {
    FT_Done_Face(face);
    return;
  }
  face_ = face;
}

TypeFace::~TypeFace() {
  if (face_) FT_Done_Face(face_);
}

template <typename Place>
long TypeFace::Layout(const std::string& text, int tracking, bool render, Place place) const {
  if (!face_) return 0;
  long pen = 0;
  FT_UInt previous = 0;
  for (unsigned char c : text) {
    const FT_UInt glyph = FT_Get_Char_Index(face_, c);
    if (previous && glyph && FT_HAS_KERNING(face_)) {
      FT_Vector kern{};
      FT_Get_Kerning(face_, previous, glyph, FT_KERNING_DEFAULT, &kern);
      pen += kern.x;
    }
    if (FT_Load_Glyph(face_, glyph, render ? FT_LOAD_RENDER : FT_LOAD_DEFAULT) != 0) continue;
    place(face_->glyph, pen);
    pen += face_->glyph->advance.x + tracking * 64;
    previous = glyph;
  }
  return pen - (text.empty() ? 0 : tracking * 64);
}

int TypeFace::Width(const std::string& text, int tracking) const {
  return static_cast<int>((Layout(text, tracking, false, [](FT_GlyphSlot, long) {}) + 32) >> 6);
}

void TypeFace::Draw(raster::Bitmap& target, int x, int baseline, const std::string& text, raster::Pixel colour,
                    int tracking) const {
  const raster::text::ClipRect all{0, 0, target.Width(), target.Height()};
  Layout(text, tracking, true, [&](FT_GlyphSlot slot, long pen) {
    const FT_Bitmap& b = slot->bitmap;
    if (b.pixel_mode != FT_PIXEL_MODE_GRAY || b.pitch < 0 || !b.rows || !b.width) return;
    raster::text::BlendCoverage(target, x + static_cast<int>((pen + 32) >> 6) + slot->bitmap_left,
                                baseline - slot->bitmap_top, b.buffer, b.pitch, static_cast<int>(b.width),
                                static_cast<int>(b.rows), colour, 255, all);
  });
}
