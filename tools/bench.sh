#!/usr/bin/env bash
# Builds the benchmarks (optimised, no sanitizers) and runs every one of them.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/tools/setup.sh"
cmake -S "$root" -B "$root/build/bench" -DCMAKE_BUILD_TYPE=Release -DORBA_SANITIZE=OFF -DORBA_BENCH=ON \
      -DORBA_TESTS=OFF >/dev/null
cmake --build "$root/build/bench" -j "$(nproc)"
for b in "$root"/build/bench/*_bench; do
  echo "== $(basename "$b")"
  "$b" "$@"
done
