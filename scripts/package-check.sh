#!/usr/bin/env bash
# Builds the Debian package, installs it with apt in a throw-away Debian 12 root (made with
# debootstrap the first time, then reused), and starts both programs from it: rq3118ctl
# --version, and rq3118-desktop /SIM under Xvfb, which must show the main window.
# Usage: scripts/package-check.sh [build folder] [root folder]. Needs root (chroot, mounts).
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
build="$(readlink -f "${1:-$top/build}")"
root="$(readlink -m "${2:-$top/build/debian-root}")"
if [ "$(id -u)" -ne 0 ]; then
  exec sudo "$0" "$build" "$root"
fi
command -v debootstrap >/dev/null || apt-get install -y -qq --no-install-recommends debootstrap

cmake --build "$build" -j2
(cd "$build" && rm -f rq3118_*.deb && cpack -G DEB >/dev/null)
deb="$(ls "$build"/rq3118_*_amd64.deb | head -1)"
echo "package: $deb"
dpkg-deb -f "$deb" Depends

if [ ! -x "$root/usr/bin/apt-get" ]; then
  echo "making a Debian 12 root in $root (a few minutes)"
  debootstrap --variant=minbase bookworm "$root" http://deb.debian.org/debian >/dev/null
fi
cleanup() {
  umount "$root/proc" 2>/dev/null || true
  umount "$root/dev" 2>/dev/null || true
}
trap cleanup EXIT
mount -t proc proc "$root/proc"
mount --bind /dev "$root/dev"
cp /etc/resolv.conf "$root/etc/resolv.conf"
# Start from a root without the package, so every run installs it afresh.
chroot "$root" dpkg --purge rq3118 >/dev/null 2>&1 || true
cp "$deb" "$root/tmp/"
export DEBIAN_FRONTEND=noninteractive
chroot "$root" apt-get update -qq
chroot "$root" apt-get install -y -qq --no-install-recommends "/tmp/$(basename "$deb")" \
  xvfb xauth x11-utils >/dev/null
echo "installed:"
chroot "$root" dpkg -L rq3118 | grep -E '^/usr/(bin|share/(applications|man|rq3118|icons))/.+\.?' \
  | grep -v '/$' | sort

chroot "$root" rq3118ctl --version
chroot "$root" rq3118 --version
# The desktop start: a fresh home, the examples copied, the main window shown.
rm -rf "$root/tmp/home"
mkdir -p "$root/tmp/home"
chroot "$root" env HOME=/tmp/home xvfb-run -a -s "-screen 0 1280x1024x24" sh -c '
  rq3118-desktop /SIM & pid=$!
  found=1
  for i in $(seq 1 40); do
    if xwininfo -root -tree | grep -q "RQ3118 Evaluation Software"; then found=0; break; fi
    sleep 0.25
  done
  xwininfo -root -tree | grep "RQ3118" | head -3
  kill $pid
  exit $found' \
  || { echo "FAILED: no RQ3118 window from the installed program" >&2; exit 1; }
ls "$root/tmp/home/RQ3118"
echo "package check passed"
