#!/usr/bin/env bash
# Installs the Debian 12 packages the build, tests and tools need.
# Idempotent: packages already present are left as they are. Recommended
# packages come along: Wine needs several of its recommendations to run.
set -euo pipefail

packages=(
  build-essential cmake pkg-config
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  libpng-dev zlib1g-dev libfreetype-dev libfontconfig-dev fonts-dejavu-core
  # Locale sources and locale-gen: the tests run under a decimal-comma
  # locale, as hosts set one (generated below).
  locales
)
lean=()  # installed without their recommended packages
# Extra groups, chosen by the caller: "windows", "tools", "gui", "lv2".
for group in "$@"; do
  case "$group" in
    # Windows cross build and Wine; Wine's own fonts are only recommended
    # but the editor's text is measured and drawn with them under Wine.
    # The editor tests run the plug-in under Wine on a private X server
    # (Xvfb), click with xdotool and check screenshots with ImageMagick.
    # NSIS (makensis) builds the Windows installer.
    windows) packages+=(g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
                        libz-mingw-w64-dev wine wine64 fonts-wine fonts-liberation dpkg-dev
                        xvfb xdotool imagemagick nsis)
                # The installer is a 32-bit program (so that 32-bit Windows
                # can say why it refuses); running it needs 32-bit Wine.
                # Its recommendations are a second desktop stack.
                lean+=(wine32:i386) ;;
    tools) packages+=(libsndfile1-dev sox) ;;
    # The Linux editor's X11 layer and its tests: a private Xvfb, the
    # pointer driven with xdotool, screenshots taken with ImageMagick.
    # Ardour (its plug-in scanner) without its recommendations, which would
    # bring a whole desktop audio stack.
    gui) packages+=(libx11-dev xvfb xdotool imagemagick); lean+=(ardour) ;;
    # The LV2 headers and lv2_validate (lv2-dev, with sordi's sord_validate),
    # lilv's command-line hosts (lv2apply, lv2bench, lv2ls) and library for
    # tests, dpkg-shlibdeps (dpkg-dev) for the Debian package's dependencies.
    lv2) packages+=(lv2-dev sordi lilv-utils liblilv-dev dpkg-dev) ;;
    *) echo "install-deps.sh: unknown group '$group'" >&2; exit 2 ;;
  esac
done

sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)

missing=()
missing_lean=()
for p in "${packages[@]}" "${lean[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" && continue
  if [[ " ${lean[*]} " == *" $p "* ]]; then missing_lean+=("$p"); else missing+=("$p"); fi
done
if ((${#missing[@]} + ${#missing_lean[@]})); then
  if [[ " ${missing_lean[*]} " == *":i386 "* ]] && ! dpkg --print-foreign-architectures | grep -qx i386; then
    "${sudo_cmd[@]}" dpkg --add-architecture i386
  fi
  "${sudo_cmd[@]}" apt-get update -qq
  install=(env DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq)
  # The lean ones first: wine64 recommends wine32, which would otherwise
  # come along with all of its own recommendations.
  ((${#missing_lean[@]} == 0)) || "${install[@]}" --no-install-recommends "${missing_lean[@]}"
  ((${#missing[@]} == 0)) || "${install[@]}" "${missing[@]}"
fi

# de_DE.UTF-8 for the decimal-comma tests. Debian compiles only the
# locales enabled in /etc/locale.gen, so enable it there (it then survives
# later locale-gen runs) and compile once.
if ! locale -a 2>/dev/null | grep -qx 'de_DE\.utf8'; then
  if grep -q '^# *de_DE\.UTF-8 UTF-8' /etc/locale.gen 2>/dev/null; then
    "${sudo_cmd[@]}" sed -i 's/^# *\(de_DE\.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  elif ! grep -q '^de_DE\.UTF-8 UTF-8' /etc/locale.gen 2>/dev/null; then
    echo 'de_DE.UTF-8 UTF-8' | "${sudo_cmd[@]}" tee -a /etc/locale.gen >/dev/null
  fi
  "${sudo_cmd[@]}" locale-gen >/dev/null
fi
