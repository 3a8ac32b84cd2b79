#!/usr/bin/env bash
# The layering check passes on the tree as it is and fails on a copy with planted violations,
# each reported where it was planted: up and sideways between the core's modules, a back end
# reaching into the core, the core including a toolkit or operating-system header, the Linux back
# end's parts reaching into each other, relative and angle-bracket project includes, a folder in
# no layer, and tests, benchmarks and the harness including each other.
set -euo pipefail
root=$1
check=$root/scripts/check-layers
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

for tree in src testkit tests bench; do cp -r "$root/$tree" "$scratch/$tree"; done
"$check" "$scratch" >/dev/null || { echo "the unchanged tree fails the check"; exit 1; }

# Each plant: the file, the line appended to it, and what the report says.
plants=(
  "src/capture/Capture.cpp|#include \"app/FrmMain.h\"|capture may not include \"app/FrmMain.h\""
  "src/menu/ContextMenu.cpp|#include \"settings/RegistryStore.h\"|menu may not include \"settings/RegistryStore.h\""
  "src/platform/soft/Stretch.cpp|#include \"menu/ContextMenu.h\"|soft may not include \"menu/ContextMenu.h\""
  "src/winsvc/clsStyle.cpp|#include <QWidget>|winsvc may not include <QWidget>"
  "src/base/Zoom.h|#include <unistd.h>|base may not include <unistd.h>"
  "src/platform/Types.h|#include <stdint.h>|platform may not include <stdint.h>"
  "src/settings/Placement.cpp|#include \"../base/Arithmetic.h\"|relative include \"../base/Arithmetic.h\""
  "src/capture/Capture.cpp|#include \"Capture.h\"|relative include \"Capture.h\": name it from src/"
  "src/app/FrmMain.cpp|#include <base/Zoom.h>|project header <base/Zoom.h>"
  "src/platform/linux/screencast/FrameCanvas.cpp|#include <QWidget>|screencast may not include <QWidget>"
  "src/platform/linux/screencast/SharedScreen.cpp|#include \"platform/linux/QtForm.h\"|screencast may not include \"platform/linux/QtForm.h\""
  "src/platform/linux/screencast/RestoreToken.cpp|#include \"platform/linux/registry/FileRegistry.h\"|screencast may not include \"platform/linux/registry/FileRegistry.h\""
  "src/platform/linux/registry/RegText.cpp|#include \"platform/linux/X11Display.h\"|registry may not include \"platform/linux/X11Display.h\""
  "src/platform/linux/registry/RegDocument.cpp|#include <QString>|registry may not include <QString>"
  "src/platform/linux/QtForm.cpp|#include \"platform/linux/screencast/SharedScreen.h\"|linux may not include \"platform/linux/screencast/SharedScreen.h\""
  "src/platform/win32/Win32Shell.cpp|#include <unistd.h>|win32 may not include <unistd.h>"
  "src/platform/mac/MacPlatform.cpp||src/platform/mac/MacPlatform.cpp: in no layer"
  "testkit/harness/src/Desktop.cpp|#include \"app/FrmMain.h\"|testkit may not include \"app/FrmMain.h\""
  "testkit/harness/src/Process.cpp|#include \"DesktopSuite.h\"|testkit may not include \"DesktopSuite.h\""
  "bench/core/TickBench.cpp|#include \"TestSupport.h\"|bench may not include \"TestSupport.h\""
  "bench/core/BenchSupport.h||"
  "tests/unit/ArithmeticTest.cpp|#include \"BenchSupport.h\"|tests may not include \"BenchSupport.h\""
  "bench/wayland/WaylandBench.cpp|#include \"../../tests/wayland/WaylandE2ETest.cpp\"|relative include \"../../tests"
)
expected=0
for plant in "${plants[@]}"; do
  IFS='|' read -r file line report <<<"$plant"
  mkdir -p "$(dirname "$scratch/$file")"
  [[ -z $line ]] || echo "$line" >>"$scratch/$file"
  [[ -e $scratch/$file ]] || touch "$scratch/$file"
  [[ -z $report ]] || expected=$((expected + 1))
done

if output=$("$check" "$scratch" 2>/dev/null); then
  echo "the check passed a tree with planted violations"; exit 1
fi
status=0
for plant in "${plants[@]}"; do
  IFS='|' read -r file line report <<<"$plant"
  [[ -z $report ]] && continue
  grep -qF "$file" <<<"$(grep -F "$report" <<<"$output")" || { echo "not reported: $file: $report"; status=1; }
done
reported=$(grep -c . <<<"$output")
[[ $reported == "$expected" ]] || { echo "expected exactly $expected reports:"; echo "$output"; status=1; }
exit $status
