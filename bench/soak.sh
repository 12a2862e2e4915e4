#!/usr/bin/env bash
# Captures 10000 records of 8192 samples from the simulated board through the program's capture
# path and reports resident memory after 100 and after 10000 records (goal: growth under 1 MiB);
# then runs rq3118ctl as a user does (bench/soak-ctl.sh): resident memory within one run and
# peak resident memory of a short and a long run, failing when they lie more than 256 KiB apart.
# Arguments: [RECORDS] [SAMPLES].
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
cd "$top"
./scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j2 --target soak rq3118ctl >/dev/null
./build/bench/soak "${1:-10000}" "${2:-8192}"
./bench/soak-ctl.sh build/tools/rq3118ctl/rq3118ctl examples 100 "${1:-10000}" "${2:-8192}"
