#!/bin/sh
# Runs a Windows program of a build under Wine: "wine-run.sh 32 prog.exe ..."
# in the 32-bit prefix build/win32/wine, "wine-run.sh 64 ..." in the 64-bit
# prefix build/win64/wine. ORBA_WINEPREFIX overrides the prefix.
here=$(cd "$(dirname "$0")/.." && pwd)
bits=$1
shift
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="mscoree,mshtml="
if [ "$bits" = 64 ]; then
  export WINEPREFIX="${ORBA_WINEPREFIX:-$here/build/win64/wine}"
  export WINEARCH=win64
  exec /usr/lib/wine/wine64 "$@"
fi
export WINEPREFIX="${ORBA_WINEPREFIX:-$here/build/win32/wine}"
export WINEARCH=win32
exec wine "$@"
