// The panel artwork as data: every heading, rule and label sits at a fixed
// offset from the top of the read-outs it names, and starts at their left
// edge, so the text the controls draw lines up with the art above it.
#include "tools/make-artwork/Artwork.h"

#include <algorithm>
#include <string>
#include <vector>

#include "raster/TextBlend.h"
#include "tools/make-artwork/TypeFace.h"

namespace {

constexpr const char* kRegular = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
constexpr const char* kBold = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf";

constexpr raster::Pixel kPanel = 0xFF000000u;
constexpr raster::Pixel kMatrixArea = 0xFF1B1B1Bu;
constexpr raster::Pixel kMatrixStripe = 0xFF222222u;
constexpr raster::Pixel kHeading = 0xFFFFFFFFu;
constexpr raster::Pixel kLabel = 0xFF8C8C8Cu;
constexpr raster::Pixel kRule = 0xFF3C3C3Cu;
constexpr raster::Pixel kAccent = 0xFFE8A03Au;

// Offsets from the top of a section's read-outs.
constexpr int kHeadingBaseline = -33;
constexpr int kRuleY = -28;
constexpr int kLabelBaseline = -12;

struct Label {
  const char* text;
  int x;
};

struct Section {
  const char* heading;
  int readoutTop;
  int ruleRight;
  std::vector<Label> labels;  // the first one's x is the section's left edge
};

const std::vector<Section>& Sections() {
  static const std::vector<Section> sections = {
      {"filter one", 100, 254, {{"freq", 25}, {"res", 112}, {"shape", 175}}},
      {"filter two", 175, 254, {{"freq", 25}, {"res", 112}, {"shape", 173}}},
      {"delay one", 270, 254, {{"coarse", 25}, {"time", 112}, {"feedback", 173}}},
      {"delay two", 345, 254, {{"coarse", 25}, {"time", 112}, {"feedback", 173}}},
      {"envelope", 435, 254, {{"attack", 25}, {"decay", 112}, {"gain", 173}}},
      {"master", 435, 560, {{"output 1", 295}, {"output 2", 382}, {"mix", 460}}},
      {"lfo one", 100, 790, {{"freq", 570}, {"shape", 660}, {"phase", 735}}},
      {"lfo two", 175, 790, {{"freq", 570}, {"shape", 660}, {"phase", 735}}},
      {"degrader one", 270, 790, {{"bits", 570}, {"rate", 660}}},
      {"degrader two", 345, 790, {{"bits", 570}, {"rate", 660}}},
      {"pan", 435, 790, {{"pan 1", 570}, {"pan 2", 660}}},
  };
  return sections;
}

// The matrix: its dark area, one stripe behind every other 25-pixel row, and
// the column headings above it at the columns' left edges.
struct MatrixArea {
  int left = 264, top = 80, right = 560, bottom = 382;
  int firstRow = 85, rowPitch = 25, rows = 12;
  int headingBaseline = 73;
};
const Label kMatrixColumns[] = {{"source", 275}, {"destination", 375}, {"amount", 510}};

// Logo and credit share a baseline; the credit ends where the right
// column's rules end.
constexpr int kTitleBaseline = 38;
constexpr int kLogoX = 25;
constexpr int kCreditRight = 790;
// A rule over the bottom row of controls (lfo reset, soft clip, control rate).
constexpr int kFooterRuleY = 471;

void Fill(raster::Bitmap& b, int left, int top, int right, int bottom, raster::Pixel colour) {
  raster::text::FillRect(b, left, top, right, bottom, colour, {0, 0, b.Width(), b.Height()});
}

}  // namespace

bool DrawBackground(raster::Bitmap& panel, int k) {
  const TypeFace logo(kBold, 30 * k), credit(kRegular, 13 * k), heading(kBold, 13 * k), label(kRegular, 12 * k),
      column(kRegular, 11 * k);
  if (!logo.Loaded() || !credit.Loaded() || !heading.Loaded() || !label.Loaded() || !column.Loaded()) return false;
  // Every coordinate below is a 100 % one, multiplied here.
  auto fill = [&panel, k](int left, int top, int right, int bottom, raster::Pixel colour) {
    Fill(panel, left * k, top * k, right * k, bottom * k, colour);
  };
  Fill(panel, 0, 0, panel.Width(), panel.Height(), kPanel);

  logo.Draw(panel, kLogoX * k, kTitleBaseline * k, "Brume", kAccent);
  const std::string maker = "Orvendale";
  credit.Draw(panel, kCreditRight * k - credit.Width(maker, k), kTitleBaseline * k, maker, kLabel, k);

  for (const Section& s : Sections()) {
    const int left = s.labels.front().x;
    heading.Draw(panel, left * k, (s.readoutTop + kHeadingBaseline) * k, s.heading, kAccent);
    fill(left, s.readoutTop + kRuleY, s.ruleRight, s.readoutTop + kRuleY + 1, kRule);
    for (const Label& l : s.labels) label.Draw(panel, l.x * k, (s.readoutTop + kLabelBaseline) * k, l.text, kLabel);
  }

  const MatrixArea m;
  fill(m.left, m.top, m.right, m.bottom, kMatrixArea);
  for (int row = 1; row < m.rows; row += 2) {
    const int y = m.firstRow + row * m.rowPitch - 4;
    fill(m.left, y, m.right, y + m.rowPitch, kMatrixStripe);
  }
  fill(kLogoX, kFooterRuleY, kCreditRight, kFooterRuleY + 1, kRule);
  for (const Label& c : kMatrixColumns) column.Draw(panel, c.x * k, m.headingBaseline * k, c.text, kLabel);
  return true;
}

bool DrawSelector(raster::Bitmap& selector, int k) {
  const TypeFace tab(kBold, 13 * k);
  if (!tab.Loaded()) return false;
  const int frameHeight = selector.Height() / 2;
  const std::string words[2] = {"audio matrix", "mod matrix"};
  const int gap = 28 * k, baseline = 16 * k;
  const int x[2] = {10 * k, 10 * k + tab.Width(words[0]) + gap};
  for (int frame = 0; frame < 2; ++frame) {
    const int top = frame * frameHeight;
    for (int w = 0; w < 2; ++w) {
      const bool active = w == frame;
      const raster::Pixel colour = active ? kHeading : kLabel;
      const int right = w == 0 ? x[1] - gap / 2 : selector.Width();
      const int left = w == 0 ? 0 : x[1] - gap / 2;
      // The frame is transparent; each word's area already holds the word's
      // colour so that glyph edges keep it and only their alpha fades.
      for (int y = top; y < top + frameHeight; ++y)
        for (int px = left; px < right; ++px) selector.Row(y)[px] = colour & 0x00FFFFFFu;
      tab.Draw(selector, x[w], top + baseline, words[w], colour);
      if (active)
        Fill(selector, x[w], top + frameHeight - 3 * k, x[w] + tab.Width(words[w]), top + frameHeight - k, kAccent);
    }
  }
  return true;
}

bool DrawIcon(raster::Bitmap& icon) {
  const int size = icon.Width();
  // DejaVu Sans Bold's capitals stand 0.73 em tall: the "B" fills about
  // 60 % of the square's height, centred on it.
  const TypeFace letter(kBold, size * 82 / 100);
  if (!letter.Loaded()) return false;
  // Corners rounded at a fifth of the side, edges smoothed by 4 x 4
  // samples per pixel; straight alpha, the colour kept where it fades.
  const double radius = size / 5.0;
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      int inside = 0;
      for (int sy = 0; sy < 4; ++sy)
        for (int sx = 0; sx < 4; ++sx) {
          const double px = x + (sx + 0.5) / 4, py = y + (sy + 0.5) / 4;
          const double dx = std::max({radius - px, px - (size - radius), 0.0});
          const double dy = std::max({radius - py, py - (size - radius), 0.0});
          inside += dx * dx + dy * dy <= radius * radius;
        }
      const raster::Pixel alpha = static_cast<raster::Pixel>((inside * 255 + 8) / 16);
      icon.Row(y)[x] = (kPanel & 0x00FFFFFFu) | alpha << 24;
    }
  }
  const int capHeight = size * 82 / 100 * 73 / 100;
  const int x = (size - letter.Width("B")) / 2, baseline = (size + capHeight) / 2;
  letter.Draw(icon, x, baseline, "B", kAccent);
  return true;
}
