#!/usr/bin/env bash
# The layering check passes on the tree as it is and fails on a copy with planted violations:
# a module reaching up into the main window, one module reaching into another, a back end
# reaching into the core, and the core including a toolkit header.
set -euo pipefail
root=$1
check=$root/scripts/check-layers
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

cp -r "$root/src" "$scratch/src"
"$check" "$scratch/src" >/dev/null || { echo "the unchanged tree fails the check"; exit 1; }

echo '#include "app/FrmMain.h"' >> "$scratch/src/capture/Capture.cpp"
echo '#include "settings/RegistryStore.h"' >> "$scratch/src/menu/ContextMenu.cpp"
echo '#include "menu/ContextMenu.h"' >> "$scratch/src/platform/soft/Stretch.cpp"
echo '#include <QWidget>' >> "$scratch/src/winsvc/clsStyle.cpp"
if output=$("$check" "$scratch/src" 2>&1); then
  echo "the check passed a tree with planted violations"; exit 1
fi
status=0
for expected in "capture/Capture.cpp:.*app/FrmMain.h" "menu/ContextMenu.cpp:.*settings/RegistryStore.h" \
                "platform/soft/Stretch.cpp:.*menu/ContextMenu.h" "winsvc/clsStyle.cpp:.*<QWidget>"; do
  grep -q "$expected" <<<"$output" || { echo "not reported: $expected"; status=1; }
done
[[ $(grep -c 'may not include' <<<"$output") == 4 ]] || { echo "expected exactly 4 reports:"; echo "$output"; status=1; }
exit $status
