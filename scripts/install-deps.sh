#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the benchmarks need; with the argument
# "fuzz" also clang and its runtime (libFuzzer and the sanitizers) for the fuzz targets; with
# "screenshots" also xdotool and ImageMagick, which scripts/screenshots.sh drives and crops with.
# Safe to run again: it only installs what is missing.
set -euo pipefail

packages=(
  build-essential cmake pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins libgl-dev
  libqcustomplot-dev libqcustomplot2.1-qt6
  qt6-svg-dev qt6-tools-dev
  libgtest-dev libgmock-dev googletest libbenchmark-dev libfftw3-dev
  xvfb xauth openbox x11-utils fonts-dejavu-core
  fonts-liberation2
  help2man desktop-file-utils poppler-utils
  time ccache
)
for group in "$@"; do
  case "$group" in
    fuzz) packages+=(clang libclang-rt-14-dev) ;;
    screenshots) packages+=(xdotool imagemagick) ;;
    *) echo "install-deps.sh: unknown group $group" >&2; exit 1 ;;
  esac
done

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
  sudo_cmd=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
