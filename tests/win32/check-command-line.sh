#!/usr/bin/env bash
# magnifier.exe's command line under Wine, its output going into pipes as from a script:
# --version and --help answer there and exit 0, an unknown option is named on stderr, exit 2.
# Usage: check-command-line.sh WINDOWS_WINE PREFIX MAGNIFIER_EXE VERSION
set -uo pipefail
wine=$1 prefix=$2 exe=$3 version=$4
run() { "$wine" "$prefix" "$exe" "$@"; }
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

out=$(run --version) || fail "--version exits $?"
[[ $out == "magnifier $version" ]] || fail "--version printed '$out'"
out=$(run --help) || fail "--help exits $?"
[[ $out == "Usage: magnifier [--help | --version]"* ]] || fail "--help printed '$out'"
err=$(run --zoom 2>&1 >/dev/null)
status=$?
[[ $status == 2 ]] || fail "--zoom exits $status"
[[ $err == "magnifier: unknown option '--zoom'"$'\n'"Try 'magnifier --help' for more information." ]] ||
  fail "--zoom printed '$err'"
# A full disk behind the output: a script must see the failure, not a box nobody reads.
status=0
err=$(WINE_RAW_OUTPUT=1 run --version 2>&1 >/dev/full) || status=$?
[[ $status == 1 && $err == "magnifier: write error: "* ]] || fail "--version >/dev/full: exit $status, stderr '$err'"
((failures == 0)) && echo "magnifier.exe command line: all checks passed"
exit $((failures > 0))
