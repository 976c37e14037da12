// Text on Linux: fonts are found through fontconfig and drawn with FreeType,
// antialiased, straight into the destination's pixels. Layout follows the
// Windows DrawText rules the editor relies on: lines from the top of the
// bounds, left/centre/right alignment, clipping to the bounds unless told not
// to, no kerning.
#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_SYNTHESIS_H

#include <mutex>
#include <string>
#include <type_traits>
#include <vector>

#include "raster/PlatformText.h"
#include "raster/TextBlend.h"
#include "raster/TextEncoding.h"

struct raster::NativeFontTag {
  FT_Face face = nullptr;
  bool embolden = false;
  bool oblique = false;
  bool monochrome = false;
  int ascent = 0;
  int lineHeight = 0;
};

namespace raster {
namespace {

constexpr const char* kPreferredFace = "Verdana";
constexpr const char* kFallbackFace = "DejaVu Sans";
constexpr const char* kFallbackFile = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
constexpr int kDefaultHeight = 12;

// FreeType's library object is shared by every face; creating and destroying
// faces must be serialised on it. It is made with the first face and freed
// with the last, so a plug-in library unloaded by its host (which deletes
// the fonts of the process-wide caches) leaves nothing of FreeType behind.
// The lock must outlive those caches, which are destroyed during static
// destruction, possibly after this file's statics: a std::mutex is
// initialised at compile time and, where the check below holds, has no
// destructor to run.
std::mutex gLibraryMutex;
static_assert(std::is_trivially_destructible<std::mutex>::value, "the lock is used during static destruction");
FT_Library gLibrary = nullptr;  // guarded by gLibraryMutex
int gOpenFaces = 0;             // guarded by gLibraryMutex

// Frees the library once no face uses it. Called under gLibraryMutex.
void ReleaseLibraryIfUnused() {
  if (gOpenFaces == 0 && gLibrary) {
    FT_Done_FreeType(gLibrary);
    gLibrary = nullptr;
  }
}

void CloseFace(FT_Face face) {
  std::lock_guard<std::mutex> lock(gLibraryMutex);
  FT_Done_Face(face);
  --gOpenFaces;
  ReleaseLibraryIfUnused();
}

struct FaceFile {
  std::string path;
  int index = 0;
  bool bold = false;
  bool italic = false;
};

// Asks fontconfig for the requested face, then the preferred and fallback
// families, with the wanted weight and slant.
bool MatchFace(const FontRequest& request, FaceFile& out) {
  static const bool ready = FcInit() == FcTrue;
  if (!ready) return false;
  FcPattern* pattern = FcPatternCreate();
  if (!pattern) return false;
  if (request.face && *request.face)
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(request.face));
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(kPreferredFace));
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(kFallbackFace));
  const bool wantBold = request.weight >= 600;
  FcPatternAddInteger(pattern, FC_WEIGHT, wantBold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
  FcPatternAddInteger(pattern, FC_SLANT, request.italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result = FcResultNoMatch;
  FcPattern* match = FcFontMatch(nullptr, pattern, &result);
  FcPatternDestroy(pattern);
  if (!match) return false;
  FcChar8* file = nullptr;
  int index = 0, weight = FC_WEIGHT_REGULAR, slant = FC_SLANT_ROMAN;
  const bool found = FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch && file;
  if (found) {
    FcPatternGetInteger(match, FC_INDEX, 0, &index);
    FcPatternGetInteger(match, FC_WEIGHT, 0, &weight);
    FcPatternGetInteger(match, FC_SLANT, 0, &slant);
    out.path = reinterpret_cast<const char*>(file);
    out.index = index;
    out.bold = weight >= FC_WEIGHT_DEMIBOLD;
    out.italic = slant != FC_SLANT_ROMAN;
  }
  FcPatternDestroy(match);
  return found;
}

FT_Face OpenFace(const FaceFile& file) {
  std::lock_guard<std::mutex> lock(gLibraryMutex);
  if (!gLibrary && FT_Init_FreeType(&gLibrary) != 0) {
    gLibrary = nullptr;
    return nullptr;
  }
  FT_Face face = nullptr;
  if (FT_New_Face(gLibrary, file.path.c_str(), file.index, &face) != 0) face = nullptr;
  if (face && !FT_IS_SCALABLE(face)) {
    FT_Done_Face(face);
    face = nullptr;
  }
  if (face) ++gOpenFaces;
  ReleaseLibraryIfUnused();
  return face;
}

// Sizes the face the way Windows reads a font height: positive is the cell
// (ascent + descent), negative the em size.
bool SizeFace(FT_Face face, int height) {
  if (height == 0) height = kDefaultHeight;
  FT_Size_RequestRec size{};
  size.type = height > 0 ? FT_SIZE_REQUEST_TYPE_CELL : FT_SIZE_REQUEST_TYPE_NOMINAL;
  size.height = static_cast<FT_Long>(height > 0 ? height : -height) * 64;
  return FT_Request_Size(face, &size) == 0;
}

FT_Int32 LoadFlags(const NativeFontTag& font) {
  return FT_LOAD_DEFAULT | (font.monochrome ? FT_LOAD_TARGET_MONO : FT_LOAD_TARGET_NORMAL);
}

// Loads one glyph with the synthetic styles applied; false when the face
// cannot produce it.
bool LoadGlyph(const NativeFontTag& font, char32_t codePoint) {
  if (FT_Load_Char(font.face, codePoint, LoadFlags(font)) != 0) return false;
  if (font.oblique) FT_GlyphSlot_Oblique(font.face->glyph);
  if (font.embolden) FT_GlyphSlot_Embolden(font.face->glyph);
  return true;
}

int LineWidth(const NativeFontTag& font, const std::u32string& line) {
  FT_Pos width = 0;
  for (char32_t cp : line)
    if (LoadGlyph(font, cp)) width += font.face->glyph->advance.x;
  return static_cast<int>((width + 32) >> 6);
}

// Coverage of the rendered glyph as 0..255 bytes, whatever FreeType's format.
const uint8_t* GlyphCoverage(const FT_Bitmap& bitmap, std::vector<uint8_t>& scratch, int& stride) {
  const int rows = static_cast<int>(bitmap.rows), width = static_cast<int>(bitmap.width);
  const int pitch = bitmap.pitch < 0 ? -bitmap.pitch : bitmap.pitch;
  auto rowAt = [&](int y) { return bitmap.buffer + static_cast<long long>(bitmap.pitch < 0 ? rows - 1 - y : y) * pitch; };
  if (bitmap.pixel_mode == FT_PIXEL_MODE_GRAY && bitmap.num_grays == 256 && bitmap.pitch >= 0) {
    stride = pitch;
    return bitmap.buffer;
  }
  scratch.assign(static_cast<size_t>(rows) * width, 0);
  stride = width;
  for (int y = 0; y < rows; ++y) {
    const unsigned char* src = rowAt(y);
    for (int x = 0; x < width; ++x) {
      uint8_t v = 0;
      if (bitmap.pixel_mode == FT_PIXEL_MODE_MONO) v = (src[x >> 3] & (0x80 >> (x & 7))) ? 255 : 0;
      else if (bitmap.pixel_mode == FT_PIXEL_MODE_GRAY) v = static_cast<uint8_t>(src[x] * 255 / (bitmap.num_grays > 1 ? bitmap.num_grays - 1 : 1));
      scratch[static_cast<size_t>(y) * width + x] = v;
    }
  }
  return scratch.data();
}

void DrawLine(const NativeFontTag& font, Bitmap& destination, const std::u32string& line, int left, int top,
              Pixel colour, int alpha, const text::ClipRect& clip) {
  const FT_Render_Mode mode = font.monochrome ? FT_RENDER_MODE_MONO : FT_RENDER_MODE_NORMAL;
  const int baseline = top + font.ascent;
  FT_Pos pen = static_cast<FT_Pos>(left) * 64;
  std::vector<uint8_t> scratch;
  for (char32_t cp : line) {
    if (!LoadGlyph(font, cp)) continue;
    FT_GlyphSlot slot = font.face->glyph;
    if (FT_Render_Glyph(slot, mode) == 0 && slot->bitmap.rows && slot->bitmap.width) {
      int stride = 0;
      const uint8_t* coverage = GlyphCoverage(slot->bitmap, scratch, stride);
      text::BlendCoverage(destination, static_cast<int>((pen + 32) >> 6) + slot->bitmap_left, baseline - slot->bitmap_top,
                          coverage, stride, static_cast<int>(slot->bitmap.width), static_cast<int>(slot->bitmap.rows),
                          colour, alpha, clip);
    }
    pen += slot->advance.x;
  }
}

std::vector<std::u32string> SplitLines(const std::u32string& all, bool singleLine) {
  std::vector<std::u32string> lines(1);
  for (char32_t cp : all) {
    if (cp == U'\r') continue;
    if (cp == U'\n') {
      if (!singleLine) lines.emplace_back();
      continue;
    }
    lines.back().push_back(cp);
  }
  return lines;
}

}  // namespace

NativeFont CreateNativeFont(const FontRequest& request) {
  FaceFile file;
  FT_Face face = nullptr;
  if (MatchFace(request, file)) face = OpenFace(file);
  if (!face) {
    file = FaceFile{kFallbackFile, 0, false, false};
    face = OpenFace(file);
  }
  if (!face) return nullptr;
  if (!SizeFace(face, request.height)) {
    CloseFace(face);
    return nullptr;
  }
  auto* font = new NativeFontTag;
  font->face = face;
  font->embolden = request.weight >= 600 && !file.bold;
  font->oblique = request.italic && !file.italic;
  font->monochrome = request.quality == kQualityNonAntialiased;
  font->ascent = static_cast<int>((face->size->metrics.ascender + 63) >> 6);
  font->lineHeight = static_cast<int>((face->size->metrics.ascender - face->size->metrics.descender + 63) >> 6);
  return font;
}

void DeleteNativeFont(NativeFont font) {
  if (!font) return;
  CloseFace(font->face);
  delete font;
}

namespace platform {

int FontLineHeight(NativeFont font) { return font ? font->lineHeight : 0; }

int RenderText(const TextJob& job) {
  const NativeFontTag& font = *job.font->Handle();
  Bitmap& destination = *job.destination;
  const std::u32string all = text::DecodeDisplayText(job.text, job.length);
  const std::vector<std::u32string> lines = SplitLines(all, (job.flags & kTextSingleLine) != 0);
  const int blockHeight = static_cast<int>(lines.size()) * font.lineHeight;
  const text::ClipRect clip = text::TextClip(destination, job.bounds, (job.flags & kTextNoClip) != 0);
  const Pixel colour = job.font->TextColour();
  const int alpha = text::TextAlpha(colour, job.flags, job.font->CombineWeight());
  int top = text::AlignedTop(job.bounds, blockHeight, job.flags);
  for (const std::u32string& line : lines) {
    const int width = LineWidth(font, line);
    const int left = text::AlignedLeft(job.bounds, width, job.flags);
    if (job.font->BackgroundMode() == kBackgroundOpaque)
      text::FillRect(destination, left, top, left + width, top + font.lineHeight, job.font->BackgroundColour(), clip);
    DrawLine(font, destination, line, left, top, colour, alpha, clip);
    top += font.lineHeight;
  }
  return blockHeight;
}

}  // namespace platform
}  // namespace raster
