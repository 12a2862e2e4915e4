#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (everything instrumented with AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs each of them for a while on its corpus.
#
#   scripts/fuzz.sh [--time SECONDS] [--runs N] [--jobs J] [TARGET...]
#
# --time   seconds per target (default 60); --runs stops a target after N inputs as well.
# TARGET   config_file dsp_program data_file leading_number command_line fault_spec
#          persisted_state sweep_list generator_profile (default: all).
# The corpus of each target grows in build-fuzz/corpus/TARGET, seeded from fuzz/seeds and the
# example files; a crash leaves its input in build-fuzz/artifacts and fails the script.
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
cd "$top"

seconds=60
runs=-1
all=(config_file dsp_program data_file leading_number command_line fault_spec persisted_state
  sweep_list generator_profile)
targets=()
while [ $# -gt 0 ]; do
  case "$1" in
    --time) seconds="$2"; shift 2 ;;
    --runs) runs="$2"; shift 2 ;;
    -h|--help) sed -n '2,13p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) targets+=("$1"); shift ;;
  esac
done
[ ${#targets[@]} -eq 0 ] && targets=("${all[@]}")

./scripts/install-deps.sh fuzz
. scripts/compiler-cache.sh
build="$top/build-fuzz"
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S . -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DRQ_BUILD_FUZZ=ON -DRQ_BUILD_TESTS=OFF -DRQ_BUILD_BENCH=OFF "${rq_cache_flags[@]}" >/dev/null
fi
cmake --build "$build" -j2 --target fuzz_all >/dev/null

mkdir -p "$build/artifacts" "$build/logs"
failed=0
for t in "${targets[@]}"; do
  corpus="$build/corpus/$t"
  mkdir -p "$corpus"
  cp -n fuzz/seeds/"$t"/* "$corpus"/ 2>/dev/null || true
  case "$t" in
    config_file) cp -n examples/*.CFG "$corpus"/ ;;
    dsp_program) cp -n examples/VMB.EXE "$corpus"/ ;;
  esac
  # Larger inputs where a file's limits (32767 items or words) are worth reaching.
  maxlen=4096
  case "$t" in data_file|dsp_program) maxlen=65536 ;; esac
  log="$build/logs/$t.log"
  status=0
  "$build/fuzz/fuzz_$t" -max_total_time="$seconds" -runs="$runs" -max_len="$maxlen" \
    -timeout=20 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$build/artifacts/$t-" "$corpus" >"$log" 2>&1 || status=$?
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  if [ "$status" -ne 0 ]; then
    echo "fuzz_$t: FAILED after ${execs:-?} inputs (see $log)"
    grep -E "ERROR|invariant broken|SUMMARY" "$log" | head -5
    failed=1
  else
    echo "fuzz_$t: ${execs:-?} inputs, corpus $(ls "$corpus" | wc -l), no failure"
  fi
done
exit "$failed"
