#!/usr/bin/env bash
# Installs the build into a scratch DESTDIR tree, as `make install DESTDIR=...` does, and checks
# the files with the tools desktops and distributions use; then the installed program answers.
# The end-to-end test starts the installed program from this tree; check-uninstall.sh removes it.
# Usage: check-install.sh CMAKE BUILD_DIR STAGE_DIR APP_ID VERSION
set -euo pipefail
cmake=$1 build=$2 stage=$3 id=$4 version=$5
prefix=$stage/usr/local

rm -rf "$stage" "$stage.manifest"
# As one component, so the manifest is install_manifest_Unspecified.txt: install_manifest.txt
# stays the one of the user's own `make install`, which `make uninstall` reads.
DESTDIR=$stage "$cmake" --install "$build" --prefix /usr/local --component Unspecified >/dev/null
# Kept beside the tree for check-uninstall.sh: CPack's install (the package test) rewrites the
# component's manifest.
cp "$build/install_manifest_Unspecified.txt" "$stage.manifest"

failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
check() { "$@" || fail "$*"; }

for file in bin/magnifier share/applications/$id.desktop share/metainfo/$id.metainfo.xml \
            share/man/man1/magnifier.1.gz share/doc/magnifier/copyright; do
  [[ -f $prefix/$file ]] || fail "$file is not installed"
done
for size in 16 22 24 32 48 64 128 256; do
  icon=$prefix/share/icons/hicolor/${size}x${size}/apps/$id.png
  file -b "$icon" 2>/dev/null | grep -q "PNG image data, $size x $size," || fail "no ${size}x$size PNG icon: $icon"
done

check desktop-file-validate "$prefix/share/applications/$id.desktop"
grep -qx "StartupWMClass=$id" "$prefix/share/applications/$id.desktop" || fail "StartupWMClass is not $id"
grep -qx "Name\[hu\]=Nagyító" "$prefix/share/applications/$id.desktop" || fail "no Hungarian name"
check appstreamcli validate --no-net --no-color "$prefix/share/metainfo/$id.metainfo.xml"
# mandoc prints nothing for a clean page; even its style remarks fail the check.
lint=$(mandoc -T lint "$prefix/share/man/man1/magnifier.1.gz" 2>&1) || fail "mandoc -T lint"
[[ -z $lint ]] || fail "mandoc -T lint: $lint"

out=$("$prefix/bin/magnifier" --version) || fail "--version exits $?"
[[ $out == "magnifier $version" ]] || fail "--version printed '$out'"
"$prefix/bin/magnifier" --help | grep -q '^Usage: magnifier' || fail "--help prints no usage"
status=0
err=$("$prefix/bin/magnifier" --zoom 2>&1 >/dev/null) || status=$?
[[ $status == 2 && $err == "magnifier: unknown option '--zoom'"$'\n'"Try 'magnifier --help'"* ]] ||
  fail "--zoom: exit $status, stderr '$err'"

# An answer that cannot be written is a failure a script must see, with the reason on stderr.
for redirect in ">/dev/full" ">&-"; do
  status=0
  err=$(eval '"$prefix/bin/magnifier" --version '"$redirect" 2>&1) || status=$?
  [[ $status == 1 && $err == "magnifier: write error: "* && $err != *$'\n'* ]] ||
    fail "--version $redirect: exit $status, stderr '$err'"
done

((failures == 0)) && echo "install tree $stage: all checks passed"
exit $((failures > 0))
