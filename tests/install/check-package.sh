#!/usr/bin/env bash
# Builds the Debian package into a scratch folder, checks it with lintian (no error allowed;
# warnings are printed for the log) and unpacks it into a scratch root, where the program must
# answer --version and its dependencies must name the libraries it is linked with.
# Usage: check-package.sh CPACK BUILD_DIR WORK_DIR VERSION
set -euo pipefail
cpack=$1 build=$2 work=$3 version=$4
rm -rf "$work"
mkdir -p "$work"
(cd "$build" && "$cpack" --config CPackConfig.cmake -G DEB -B "$work" >"$work/cpack.log") ||
  { cat "$work/cpack.log" >&2; exit 1; }
deb=$(ls "$work"/magnifier_"$version"_*.deb)

failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

echo "lintian $(basename "$deb"):"
lintian --fail-on error --tag-display-limit 0 "$deb" || fail "lintian reports errors"

depends=$(dpkg-deb -f "$deb" Depends)
[[ $depends == *libqt6widgets6* && $depends == *libx11-6* ]] || fail "Depends lacks the linked libraries: $depends"

dpkg -x "$deb" "$work/root"
out=$("$work/root/usr/bin/magnifier" --version) || fail "--version exits $?"
[[ $out == "magnifier $version" ]] || fail "the unpacked program's --version printed '$out'"

rm -rf "$work/_CPack_Packages" "$work/root"
((failures == 0)) && echo "package $(basename "$deb"): all checks passed"
exit $((failures > 0))
