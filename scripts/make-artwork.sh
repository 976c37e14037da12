#!/usr/bin/env bash
# Redraws the editor's images into resources/img/ with tools/make-artwork.
# The build never runs it: the images are committed, and changing them is a
# deliberate step (run this, look at the result, commit the PNGs: the 100 % images and their 3x masters,
# and the Windows icon).
set -euo pipefail
cd "$(dirname "$0")/.."
[ -f build/linux/CMakeCache.txt ] || cmake --preset linux >/dev/null
cmake --build --preset linux --target make-artwork
mkdir -p resources/img
icons=$(mktemp -d)
trap 'rm -rf "$icons"' EXIT
build/linux/tools/make-artwork resources/img "$icons"
# The Windows icon file (installer, uninstaller, Apps & features) from the
# icon's PNGs, with ImageMagick: small sizes as bitmaps, 256 as PNG.
convert "$icons"/brume_icon_{16,20,24,32,40,48,64,256}.png packaging/windows/Brume.ico
echo "wrote packaging/windows/Brume.ico"
