#!/usr/bin/env bash
# Cross-builds a static libpng for Windows x64 (mingw-w64) from Debian's
# libpng1.6 source package and installs it into <deps-dir>/libpng
# (include/png.h, lib/libpng16.a). Debian ships zlib for mingw but no libpng.
#
# usage: scripts/build-libpng-mingw.sh [deps-dir]     (default build/win64-deps)
#
# The source is fetched with apt-get through a private apt state under
# <deps-dir>/apt: deb-src entries derived from the system's own apt sources,
# private lists and caches. The system's apt configuration and state are left
# untouched. A finished build is reused; delete <deps-dir>/libpng to rebuild.
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
deps=$(realpath -m "${1:-$repo/build/win64-deps}")
prefix=$deps/libpng
stamp=$prefix/.complete
triplet=x86_64-w64-mingw32
zlib_a=/usr/$triplet/lib/libz.a

mkdir -p "$deps"
# Two win64 configures may ask for the library at once: one builds, the other
# waits and then finds it done.
exec 9>"$deps/.libpng.lock"
flock 9

if [ -f "$stamp" ] && [ -f "$prefix/lib/libpng16.a" ] && [ -f "$prefix/include/png.h" ]; then
  exit 0
fi
if [ ! -f "$zlib_a" ]; then
  echo "build-libpng-mingw.sh: $zlib_a missing (install libz-mingw-w64-dev)" >&2
  exit 1
fi

apt_dir=$deps/apt
rm -rf "$apt_dir"
mkdir -p "$apt_dir/sources.list.d" "$apt_dir/lists/partial" \
         "$apt_dir/cache/archives/partial" "$apt_dir/download"

# Private deb-src entries: the same repositories as the system's deb entries.
eval "$(apt-config shell sys_list Dir::Etc::sourcelist/f sys_parts Dir::Etc::sourceparts/d)"
one_line_files=()
[ -f "${sys_list:-}" ] && one_line_files+=("$sys_list")
shopt -s nullglob
for f in "${sys_parts%/}"/*.list; do one_line_files+=("$f"); done
for f in "${one_line_files[@]}"; do
  sed -nE 's/^[[:space:]]*deb[[:space:]]+/deb-src /p' "$f"
done >"$apt_dir/sources.list.d/derived.list"
n=0
for f in "${sys_parts%/}"/*.sources; do
  n=$((n + 1))
  sed -E 's/^Types:.*$/Types: deb-src/' "$f" >"$apt_dir/sources.list.d/derived-$n.sources"
done
shopt -u nullglob

apt_opts=(
  -o Dir::Etc::SourceList=/dev/null
  -o Dir::Etc::SourceParts="$apt_dir/sources.list.d"
  -o Dir::State::Lists="$apt_dir/lists"
  -o Dir::Cache="$apt_dir/cache"
)
# The private directories belong to us; apt's download sandbox user could not
# write there.
[ "$(id -u)" -eq 0 ] && apt_opts+=(-o APT::Sandbox::User=root)

echo "libpng for mingw: fetching Debian's libpng1.6 source package"
# A repository without source indexes only costs a warning: the download
# below is what must succeed.
apt-get "${apt_opts[@]}" -qq update || echo "build-libpng-mingw.sh: apt-get update reported errors (continuing)" >&2
# The .dsc or Debian tarball of a security update may be missing from the
# mirror while the upstream tarball arrives, which is all the build needs.
(cd "$apt_dir/download" && apt-get "${apt_opts[@]}" -qq source --download-only libpng1.6) ||
  echo "build-libpng-mingw.sh: apt-get source reported errors (continuing)" >&2

orig=$(ls "$apt_dir"/download/libpng1.6_*.orig.tar.* 2>/dev/null | sort -V | tail -n 1 || true)
if [ -z "$orig" ]; then
  echo "build-libpng-mingw.sh: no libpng1.6 upstream tarball was downloaded" >&2
  exit 1
fi
echo "libpng for mingw: building $(basename "$orig")"

work=$deps/libpng-work
rm -rf "$work" "$prefix"
mkdir -p "$work/src"
tar -xf "$orig" -C "$work/src" --strip-components=1

cmake -S "$work/src" -B "$work/build" \
  -DCMAKE_TOOLCHAIN_FILE="$repo/cmake/mingw-w64-x86_64.cmake" \
  -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_INSTALL_PREFIX="$prefix" \
  -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_TESTS=OFF -DPNG_EXECUTABLES=OFF \
  -DSKIP_INSTALL_PROGRAMS=ON -DSKIP_INSTALL_FILES=ON -DSKIP_INSTALL_EXPORT=ON \
  -DZLIB_LIBRARY="$zlib_a" -DZLIB_INCLUDE_DIR="/usr/$triplet/include" \
  >"$work/configure.log" 2>&1 || { cat "$work/configure.log" >&2; exit 1; }
cmake --build "$work/build" -j2 >"$work/build.log" 2>&1 || { cat "$work/build.log" >&2; exit 1; }
cmake --install "$work/build" >/dev/null

if [ ! -f "$prefix/lib/libpng16.a" ]; then
  echo "build-libpng-mingw.sh: install produced no $prefix/lib/libpng16.a" >&2
  exit 1
fi
basename "$orig" >"$stamp"
# Keep only the downloaded tarball; the private indexes are large.
rm -rf "$work" "$apt_dir/lists" "$apt_dir/cache"
echo "libpng for mingw: $prefix/lib/libpng16.a"
