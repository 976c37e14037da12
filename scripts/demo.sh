#!/usr/bin/env bash
# Renders the built-in demo (drums and chords) through five contrasting
# factory presets of the Brume plug-in, loaded through its VST 2.4 entry
# point by brume-render, and draws a spectrogram of each render.
# Output: out/<nn>-<preset>.wav and .png beside it.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh tools

cmake --preset linux >/dev/null
cmake --build --preset linux --target brume-render

render=build/linux/tools/brume-render
presets=("Init" "lofi nofi" "Vari Trem" "Walking Delay" "pitch screw")
mkdir -p out

n=0
for preset in "${presets[@]}"; do
  n=$((n + 1))
  slug=$(printf '%02d-%s' "$n" "$(echo "$preset" | tr 'A-Z ' 'a-z-')")
  "$render" --preset "$preset" --out "out/$slug.wav"
  # -V1: sox warns about the (valid) fmt chunk of float WAV files.
  sox -V1 "out/$slug.wav" -n spectrogram -t "Brume: $preset" -o "out/$slug.png"
done

echo
echo "Demo renders (WAV with a spectrogram PNG beside each):"
ls -1 "$PWD"/out/[0-9][0-9]-*.wav "$PWD"/out/[0-9][0-9]-*.png | sed 's/^/  /'
