#!/bin/sh
# Builds the Debian package from a build folder with cpack, in a folder of its own, and checks it
# with lintian as Debian's archive would.
#   lintian_deb.sh CPACK BUILD_FOLDER [hardened|instrumented]
# Fails on any lintian error or warning, and, for a hardened build, on any hardening tag
# (lintian shows those as information only; a sanitizer build leaves _FORTIFY_SOURCE out).
# Exit status 77: lintian is missing.
set -eu
cpack=$1
build=$2
kind=${3:-hardened}

if ! command -v lintian >/dev/null; then
    echo "SKIPPED: lintian is missing (Debian package lintian; scripts/deps.sh installs it)."
    exit 77
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
if ! "$cpack" --config "$build/CPackConfig.cmake" -B "$work" >"$work/cpack.log" 2>&1; then
    cat "$work/cpack.log"
    echo "FAILED: cpack could not build the package."
    exit 1
fi
deb=$(ls "$work"/*.deb)
echo "Checking $(basename "$deb")"

status=0
# lintian warns when run as root; that is no finding about the package.
lintian --display-info --fail-on error,warning "$deb" >"$work/lintian.log" 2>&1 || status=$?
grep -v '^running with root privileges' "$work/lintian.log" || true
if [ "$status" -ne 0 ]; then
    echo "FAILED: lintian reports errors or warnings (status $status)."
    exit 1
fi
# hardening-no-fortify-functions is left out: lintian raises it for a program compiled with
# _FORTIFY_SOURCE whose every fortifiable call is proved safe at compile time (a read into a fixed
# array of its own size), so no checked variant is linked. The build flags are tested instead.
if [ "$kind" = hardened ] &&
    grep ': hardening-' "$work/lintian.log" | grep -qv ': hardening-no-fortify-functions'; then
    echo "FAILED: the programs lack hardening."
    exit 1
fi
if [ "$kind" = hardened ] &&
    ! grep -qs '_FORTIFY_SOURCE=2' "$build/build.ninja" "$build"/src/app/CMakeFiles/*/flags.make; then
    echo "FAILED: the programs are not compiled with _FORTIFY_SOURCE=2."
    exit 1
fi
echo "PASSED"
