#!/usr/bin/env bash
# Fails when a lower layer includes a higher layer's header. The layers,
# lowest first: platform; model and operation; render; shell and dialogs.
# A lower layer that must tell or ask a higher one does so through a hook
# that start-up installs (shell/wire). resources/ holds only ids and
# templates and is no layer.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

status=0
# check FOLDER HIGHER...: no source of FOLDER includes a header of HIGHER.
check() {
  local folder=$1
  shift
  [ -d "$folder" ] || return 0
  local higher
  higher=$(IFS='|'; echo "$*")
  local hits
  hits=$(grep -rnE "^[[:space:]]*#[[:space:]]*include[[:space:]]*[<\"](\.\./)*($higher)/" "$folder" \
           --include='*.cpp' --include='*.h' || true)
  if [ -n "$hits" ]; then
    echo "$folder includes a higher layer:"
    echo "$hits"
    status=1
  fi
}

check platform model operation render shell dialogs
check model render shell dialogs
check operation render shell dialogs
check render shell dialogs

[ $status -eq 0 ] && echo "layers: no lower layer includes a higher one"
exit $status
