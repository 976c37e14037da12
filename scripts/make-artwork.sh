#!/usr/bin/env bash
# Redraws the editor's images into resources/img/ with tools/make-artwork.
# The build never runs it: the images are committed, and changing them is a
# deliberate step (run this, look at the result, commit the PNGs: the 100 % images and their 3x masters).
set -euo pipefail
cd "$(dirname "$0")/.."
[ -f build/linux/CMakeCache.txt ] || cmake --preset linux >/dev/null
cmake --build --preset linux --target make-artwork
mkdir -p resources/img
build/linux/tools/make-artwork resources/img
