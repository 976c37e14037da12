// make-artwork: draws the editor's background and page-selector images
// and, given a second directory, the product icon as PNGs of the sizes a
// Windows icon file holds (brume_icon_<size>.png).
// Usage: make-artwork <output directory> [<icon directory>]
#include <cstdio>
#include <string>
#include <utility>

#include "raster/MemoryBitmap.h"
#include "tools/make-artwork/Artwork.h"
#include "tools/common/PngWriter.h"

int main(int argc, char** argv) {
  if (argc != 2 && argc != 3) {
    std::fprintf(stderr, "usage: make-artwork <output directory> [<icon directory>]\n");
    return 2;
  }
  const std::string dir = argv[1];
  // The 100 % images and the 3x masters every other scale is reduced from.
  raster::MemoryBitmap panel(815, 500), selector(300, 50), panel3(815 * 3, 500 * 3), selector3(300 * 3, 50 * 3);
  if (!DrawBackground(panel, 1) || !DrawSelector(selector, 1) || !DrawBackground(panel3, 3) ||
      !DrawSelector(selector3, 3)) {
    std::fprintf(stderr, "make-artwork: cannot open the DejaVu fonts\n");
    return 1;
  }
  for (auto [bitmap, name] : {std::pair<raster::Bitmap*, const char*>{&panel, "brume_background.png"},
                              {&selector, "matrix_selector.png"},
                              {&panel3, "brume_background_3x.png"},
                              {&selector3, "matrix_selector_3x.png"}}) {
    const std::string path = dir + "/" + name;
    if (!WritePng(*bitmap, path.c_str())) {
      std::fprintf(stderr, "make-artwork: cannot write %s\n", path.c_str());
      return 1;
    }
    std::printf("wrote %s\n", path.c_str());
  }
  for (int size : {16, 20, 24, 32, 40, 48, 64, 256}) {
    if (argc != 3) break;
    raster::MemoryBitmap icon(size, size);
    const std::string path = std::string(argv[2]) + "/brume_icon_" + std::to_string(size) + ".png";
    if (!DrawIcon(icon) || !WritePng(icon, path.c_str())) {
      std::fprintf(stderr, "make-artwork: cannot draw or write %s\n", path.c_str());
      return 1;
    }
    std::printf("wrote %s\n", path.c_str());
  }
  return 0;
}
