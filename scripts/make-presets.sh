#!/usr/bin/env bash
# Writes the factory programs as Brume state files into resources/presets/
# with tools/make-presets. The build never runs it: the files are committed
# (a test checks they are what the plug-in saves for each program).
set -euo pipefail
cd "$(dirname "$0")/.."
[ -f build/linux/CMakeCache.txt ] || cmake --preset linux >/dev/null
cmake --build --preset linux --target make-presets
mkdir -p resources/presets
rm -f resources/presets/*.brume
build/linux/tools/make-presets resources/presets
