#!/usr/bin/env bash
# Captures 10000 records of 8192 samples from the simulated board through the program's capture
# path and reports resident memory after 100 and after 10000 records (goal: growth under 1 MiB).
# Arguments: [RECORDS] [SAMPLES].
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
cd "$top"
./scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j2 --target soak >/dev/null
exec ./build/bench/soak "${1:-10000}" "${2:-8192}"
