#!/usr/bin/env bash
# Installs what is missing, builds the program and starts it on the simulated board, in the
# examples folder so that its configuration files are listed. Extra arguments are passed on.
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
cd "$top"
./scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j2 --target rq3118
cd "$top/examples"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display found: starting under a virtual X server (xvfb-run)." >&2
  exec xvfb-run -a "$top/build/app/rq3118" /SIM "$@"
fi
exec "$top/build/app/rq3118" /SIM "$@"
