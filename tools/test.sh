#!/usr/bin/env bash
# Builds everything and runs every test: natively (with sanitizers), each
# fuzz target for a few seconds, and the Windows build under Wine. On a fresh Debian 12 machine it first installs
# what is missing.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/tools/setup.sh"

# ORBA_JOBS lets several builds share one machine without exhausting its memory.
jobs=${ORBA_JOBS:-$(nproc)}
echo "== native build"
cmake -S "$root" -B "$root/build/native" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORBA_SANITIZE=ON >/dev/null
cmake --build "$root/build/native" -j "$jobs"
echo "== 32-bit Windows build"
cmake -S "$root" -B "$root/build/win32" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" \
      -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$root/build/win32" -j "$jobs"

# Windows tests that make real windows need a display; without one they run
# on a virtual X server.
winrun=()
if [ -z "${DISPLAY:-}" ] && command -v xvfb-run >/dev/null; then winrun=(xvfb-run -a); fi

status=0
echo "== layers"
bash "$root/tools/check-layers.sh" || status=1
echo "== native tests"
(cd "$root/build/native" && ctest --output-on-failure -j "$jobs") || status=1
# Every reader of outside data under its fuzz target for a few seconds: the
# seeds and what earlier runs found must pass (tools/fuzz.sh runs longer).
echo "== fuzz targets"
ORBA_JOBS=$jobs bash "$root/tools/fuzz.sh" 5 || status=1

if orba_can_run_32bit; then
  orba_wine_prefix 32 "$root/build/win32/wine"
  echo "== 32-bit Windows tests under Wine"
  (cd "$root/build/win32" && "${winrun[@]}" ctest --output-on-failure -j "$jobs") || status=1
else
  # This machine has no 32-bit code segment: no 32-bit x86 program can start
  # on it, under Wine or otherwise. The same sources and tests then run as a
  # 64-bit Windows build under Wine, which still checks the Windows layer.
  echo "== this machine cannot execute 32-bit x86 code: Windows tests run as a 64-bit build under Wine"
  cmake -S "$root" -B "$root/build/win64" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-x86_64.cmake" \
        -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build "$root/build/win64" -j "$jobs"
  orba_wine_prefix 64 "$root/build/win64/wine"
  echo "== Windows tests under Wine"
  (cd "$root/build/win64" && "${winrun[@]}" ctest --output-on-failure -j "$jobs") || status=1
fi
exit $status
