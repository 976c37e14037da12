#!/usr/bin/env bash
# Builds every release artefact into dist/, with their SHA-256 sums in
# dist/SHA256SUMS:
#   brume_<version>_amd64.deb           Linux: VST 2.4, VST3 and LV2 (cpack -G DEB)
#   Brume-<version>-win64-setup.exe     Windows x64 installer (NSIS)
#   Brume-<version>-win64.zip           Windows x64, both formats to copy by hand
#
# usage: scripts/package.sh
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh windows tools gui lv2

cmake --preset linux >/dev/null
cmake --build --preset linux
(cd build/linux && cpack -G DEB >/dev/null)

bash scripts/build-libpng-mingw.sh build/win64-deps
cmake --preset win64 >/dev/null
cmake --build --preset win64 --target brume_win64_packages

# The one version of the build: project(VERSION) in the top CMakeLists.txt.
version=$(sed -nE 's/^project\(Kestrel VERSION ([0-9.]+).*/\1/p' CMakeLists.txt)
artefacts=(build/linux/brume_"${version}"_amd64.deb
           build/win64/Brume-"${version}"-win64-setup.exe
           build/win64/Brume-"${version}"-win64.zip)
rm -rf dist
mkdir dist
cp "${artefacts[@]}" dist/
(cd dist && sha256sum -- * >SHA256SUMS)
echo "=== dist/ ==="
(cd dist && ls -l && cat SHA256SUMS)
