#!/usr/bin/env bash
# Ardour's VST2 scanner, run as Ardour runs it (no display), must find Brume
# and report that it has an editor. Exit 77 (skipped) without the scanner.
# usage: ardour-scan.sh <Brume.so> <scratch folder>
set -u
scanner=$(ls /usr/lib/ardour*/ardour-vst-scanner 2>/dev/null | head -n1)
if [ -z "$scanner" ]; then
  echo "SKIPPED: ardour-vst-scanner is not installed (Debian package ardour)"
  exit 77
fi
rm -rf "$2" && mkdir -p "$2"
# The scanner writes its cache under HOME and finds its libraries beside it.
out=$(env -u DISPLAY HOME="$2" LD_LIBRARY_PATH="$(dirname "$scanner")" timeout 60 "$scanner" -f -v "$1" 2>&1)
echo "$out"
grep -q '<VST2Info [^>]*name="Brume"[^>]*has_editor="1"' <<<"$out"
