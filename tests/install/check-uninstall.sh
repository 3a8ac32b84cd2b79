#!/usr/bin/env bash
# Uninstalls the scratch tree of check-install.sh through its manifest, as `make uninstall`
# does, and checks that no installed file is left behind.
# Usage: check-uninstall.sh CMAKE UNINSTALL_SCRIPT MANIFEST STAGE_DIR
set -euo pipefail
cmake=$1 script=$2 manifest=$3 stage=$4
DESTDIR=$stage "$cmake" -DMANIFEST="$manifest" -P "$script" >/dev/null
left=$(find "$stage" ! -type d)
if [[ -n $left ]]; then
  echo "FAIL: left after uninstalling:" >&2
  echo "$left" >&2
  exit 1
fi
rm -rf "$stage" "$manifest"
echo "uninstalled: no file left"
