#!/usr/bin/env bash
# Installs what is needed, then configures, builds and runs every test of
# every preset: Linux (plain, ASan+UBSan, TSan) and Windows x64 (mingw-w64,
# tests under Wine). Non-zero exit status on any failure.
#
# usage: scripts/test.sh [preset...]      (default: every preset)
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh windows tools gui lv2

presets=(linux linux-asan linux-tsan win64)
(($#)) && presets=("$@")
wine_prefix=$PWD/build/win64/wine-prefix
wine_started=0
stop_wine() {
  if ((wine_started)); then
    bash scripts/wine-prefix.sh stop "$wine_prefix"
    wine_started=0
  fi
}

status=0
timings=()
skips=()
log=$(mktemp)
trap 'stop_wine; rm -f "$log"' EXIT
for preset in "${presets[@]}"; do
  echo "=== preset $preset ==="
  start=$SECONDS
  if [ "$preset" = win64 ]; then
    # libpng for mingw, built once from Debian's source package.
    bash scripts/build-libpng-mingw.sh build/win64-deps
  fi
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
  if [ "$preset" = win64 ]; then
    # One persistent wine server for the whole run: otherwise every test
    # program and every discovery pays for a server start-up.
    bash scripts/wine-prefix.sh start "$wine_prefix"
    wine_started=1
  fi
  if ! ctest --preset "$preset" | tee "$log"; then
    status=1
  fi
  stop_wine
  timings+=("$preset $((SECONDS - start))s")
  # CTest lists each skipped test as "<n> - <name> (Skipped)" at the end.
  skips+=("$preset $(grep -cE '^[[:space:]]+[0-9]+ - .* \(Skipped\)$' "$log" || true)")
done
echo "=== time per preset: ${timings[*]} ==="
echo "=== tests skipped per preset: ${skips[*]} ==="
exit $status
