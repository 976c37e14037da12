#!/usr/bin/env bash
# Installs what is needed, then configures, builds and runs every test of
# every preset. Non-zero exit status on any failure.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh tools

presets=(linux linux-asan linux-tsan)
status=0
for preset in "${presets[@]}"; do
  echo "=== preset $preset ==="
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
  if ! ctest --preset "$preset"; then
    status=1
  fi
done
exit $status
