#!/usr/bin/env bash
# Builds what is missing and starts orbasim under Wine with its start layout:
# the 32-bit program where this machine can run 32-bit code, else the 64-bit
# build of the same sources. Without a display it runs on a virtual one,
# says so, and writes a screenshot once the first view is painted.
# Arguments are passed to the program (for example /Q or a layout file).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/tools/setup.sh"

if orba_can_run_32bit; then
  bits=32 build="$root/build/win32" toolchain=mingw-i686
else
  bits=64 build="$root/build/win64" toolchain=mingw-x86_64
  echo "This machine cannot run 32-bit x86 code: starting the 64-bit build of the same sources."
fi
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/$toolchain.cmake" -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
cmake --build "$build" -j "$(nproc)" --target orbasim orba_data gfxdata >/dev/null
orba_wine_prefix "$bits" "$build/wine"

cd "$build/bin"
if [ -n "${DISPLAY:-}" ]; then
  exec "$root/tools/wine-run.sh" "$bits" ./orbasim.exe "$@"
fi

# No display: a virtual one, a screenshot after the start, and the program
# keeps running there until it is closed (Ctrl+C ends it).
shot="$root/build/orbasim-screenshot.png"
for p in x11-apps imagemagick; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" ||
    DEBIAN_FRONTEND=noninteractive $orba_sudo apt-get install -y -q "$p" >/dev/null
done
echo "No display found: orbasim runs on a virtual display (Xvfb); a screenshot goes to $shot"
exec xvfb-run -a -s "-screen 0 1280x800x24" bash -c '
  "$0" "$1" ./orbasim.exe "${@:3}" &
  pid=$!
  sleep 8
  xwd -root -silent | convert xwd:- "$2" 2>/dev/null && echo "Screenshot written: $2" ||
    echo "No screenshot (xwd and convert are in the packages x11-apps and imagemagick)"
  wait $pid' "$root/tools/wine-run.sh" "$bits" "$shot" "$@"
