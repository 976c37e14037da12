# What the installer tests share, sourced by each once `setup` (the
# installer, or "none") and `scratch` (its work folder) are set.

# Skipped (77) where the installer was not built or cannot run here.
if [ "$setup" = none ]; then
  echo "SKIPPED: no installer was built (makensis missing; scripts/install-deps.sh windows installs NSIS)"
  exit 77
fi
# A 32-bit program: it needs Wine's 32-bit loader.
if [ ! -x /usr/lib/wine/wine ]; then
  echo "SKIPPED: no 32-bit Wine (scripts/install-deps.sh windows installs wine32)"
  exit 77
fi
version=$(basename "$setup" | sed -E 's/^Brume-(.*)-win64-setup\.exe$/\1/')

failures=0
check() {  # check <description> <command...>
  local what=$1
  shift
  if "$@"; then echo "ok: $what"; else echo "FAILED: $what"; failures=$((failures + 1)); fi
}

# The installer, copied into the prefix to a folder without spaces (cmd
# takes the first word as the program); its Windows path in setup_path.
stage_setup() {
  cp "$setup" "$WINEPREFIX/drive_c/windows/temp/" || exit 1
  setup_path="C:\\windows\\temp\\${setup##*/}"
}

# The checks' outcome, as the exit status.
report() {
  if ((failures)); then
    echo "$failures check(s) failed; Wine's output: $scratch/wine.log"
    return 1
  fi
  echo "all checks passed"
}
