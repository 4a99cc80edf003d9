#!/bin/sh
# Runs a Windows program of a build under Wine: "wine-run.sh 32 prog.exe ..."
# in the 32-bit prefix build/win32/wine, "wine-run.sh 64 ..." in the 64-bit
# prefix build/win64/wine. ORBA_WINEPREFIX overrides the prefix.
here=$(cd "$(dirname "$0")/.." && pwd)
bits=$1
shift
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="mscoree,mshtml="

# The first program of a Wine session starts the session's own processes
# (server, services, desktop); they inherit its output and hold it open until
# the session ends, so CTest would count the whole session to that one test
# and could time it out. A program whose output is not a terminal therefore
# writes into a file of its own, shown when it ends.
run() {
  [ -t 1 ] && exec "$@"
  out=$(mktemp "${TMPDIR:-/tmp}/orba-wine.XXXXXX") || exec "$@"
  "$@" >"$out" 2>&1
  rc=$?
  cat "$out"
  rm -f "$out"
  exit $rc
}

if [ "$bits" = 64 ]; then
  export WINEPREFIX="${ORBA_WINEPREFIX:-$here/build/win64/wine}"
  export WINEARCH=win64
  run /usr/lib/wine/wine64 "$@"
fi
export WINEPREFIX="${ORBA_WINEPREFIX:-$here/build/win32/wine}"
export WINEARCH=win32
run wine "$@"
