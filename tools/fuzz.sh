#!/usr/bin/env bash
# Builds the fuzz targets (tests/fuzz, clang with libFuzzer and the address
# and undefined-behaviour sanitizers) in build/fuzz and runs one target or
# all of them, each for the given number of seconds, one after the other,
# each in one process.
#
#   bash tools/fuzz.sh [SECONDS] [TARGET...]      (default 60 seconds, all)
#
# Targets: layout_fuzz section_fuzz graphics_fuzz language_fuzz rules_fuzz
# settings_fuzz clip_fuzz skf_fuzz.
# Each starts from the seeds the project's writers make
# (build/fuzz/seeds/, one folder per target) and keeps what it finds in build/fuzz/corpus/
# TARGET for the next run. A crash, leak or failed check stops the target;
# its input is kept as build/fuzz/crashes/TARGET/crash-... and the script
# ends with status 1. The last lines of each run are in build/fuzz/TARGET.log.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/tools/setup.sh"

seconds=${1:-60}
shift || true
all=(layout_fuzz section_fuzz graphics_fuzz language_fuzz rules_fuzz settings_fuzz clip_fuzz skf_fuzz)
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=("${all[@]}")
jobs=${ORBA_JOBS:-$(nproc)}
build="$root/build/fuzz"

echo "== fuzz build"
CC=clang CXX=clang++ cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORBA_FUZZ=ON \
  -DORBA_SANITIZE=OFF -DORBA_TESTS=OFF >/dev/null
cmake --build "$build" -j "$jobs" --target orba_fuzz_seeds "${targets[@]}"

rm -rf "$build/seeds"
ASAN_OPTIONS=detect_leaks=0 "$build/orba_fuzz_seeds" "$build/seeds"

status=0
for t in "${targets[@]}"; do
  corpus="$build/corpus/$t"
  crashes="$build/crashes/$t"
  seeds="$build/seeds/${t%_fuzz}"
  mkdir -p "$corpus" "$crashes" "$seeds"
  echo "== $t for ${seconds}s"
  # The fuzzer's own limits: 2 GB, 10 s for one input, inputs up to 64 KB.
  if ! "$build/$t" "$corpus" "$seeds" -dict="$root/tests/fuzz/orba.dict" \
       -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=10 -max_len=65536 \
       -artifact_prefix="$crashes/" -print_final_stats=1 >"$build/$t.log" 2>&1; then
    status=1
    echo "$t: FAILED (input in $crashes/, log in $build/$t.log)"
    grep -m5 -E "ERROR|fuzz check failed|runtime error|SUMMARY" "$build/$t.log" || true
    continue
  fi
  # The executions and the coverage of the run.
  runs=$(grep -Eo "stat::number_of_executed_units: *[0-9]+" "$build/$t.log" | grep -Eo "[0-9]+$" || echo "?")
  cov=$(grep -Eo "cov: [0-9]+ ft: [0-9]+" "$build/$t.log" | tail -1 || echo "cov: ?")
  corp=$(grep -Eo "corp: [0-9]+/[0-9]+[a-zA-Z]*" "$build/$t.log" | tail -1 || true)
  echo "$t: ok, $runs executions, $cov, $corp"
done
exit $status
