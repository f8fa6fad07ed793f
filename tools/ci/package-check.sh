#!/bin/sh
# Uses the library the way a project outside this repository does:
#  1. `make install` with PREFIX and DESTDIR into a temporary folder, used from there as the prefix
#     (the installed tree is relocatable: RPATHs, the CMake package and the .pc files are
#     relative to themselves);
#  2. builds examples/ out of tree through find_package(CallCommonSvc) and runs its tests;
#  3. builds the same examples through pkg-config and runs them;
#  4. unpacks the Debian package made by `make package` with dpkg -x and runs its callsvc
#     (`--version`, `dial 112`, `demo`) from there, found through its $ORIGIN RPATH.
# Usage: tools/ci/package-check.sh [BUILD_DIR]   (default: build, already built and packaged)
set -eu
cd "$(dirname "$0")/../.."
build=${1:-build}
work=$(mktemp -d "${TMPDIR:-/tmp}/callsvc-package.XXXXXX")
trap 'rm -rf "$work"' EXIT
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")

step() { printf '\n== %s\n' "$*"; }
fail() { echo "package-check: $*" >&2; exit 1; }

step "make install PREFIX=/opt/callsvc DESTDIR=$work/root"
make --no-print-directory install BUILD="$build" PREFIX=/opt/callsvc DESTDIR="$work/root" >/dev/null
prefix=$work/root/opt/callsvc
[ -x "$prefix/bin/callsvc" ] || fail "no bin/callsvc under $prefix"
pcfile=$(find "$prefix" -name callcommonsvc.pc)
[ -n "$pcfile" ] || fail "no callcommonsvc.pc under $prefix"

step "examples through find_package(CallCommonSvc $version)"
cmake -S examples -B "$work/with-cmake" -G Ninja -DCMAKE_PREFIX_PATH="$prefix" >/dev/null
grep -q "^CallCommonSvc_DIR:PATH=$prefix/" "$work/with-cmake/CMakeCache.txt" ||
  fail "find_package found the package elsewhere than in $prefix"
cmake --build "$work/with-cmake"
(cd "$work/with-cmake" && ctest --output-on-failure)

step "examples through pkg-config"
PKG_CONFIG_PATH=$(dirname "$pcfile") make --no-print-directory -C examples \
  OUT="$work/with-pkg-config" check

step "Debian package, unpacked with dpkg -x"
deb=$(ls "$build"/package/callcommonsvc_"$version"_*.deb)
dpkg-deb --field "$deb" Package Version Depends
dpkg-deb --contents "$deb" | grep -q 'usr/share/man/man1/callsvc.1.gz' || fail "no man page in $deb"
dpkg -x "$deb" "$work/deb"
export TMXHOST_DATA_ROOT="$work/data"
out=$("$work/deb/usr/bin/callsvc" --version)
[ "$out" = "callsvc $version" ] || fail "callsvc --version says '$out', not 'callsvc $version'"
"$work/deb/usr/bin/callsvc" dial 112
"$work/deb/usr/bin/callsvc" dial 112 --json | grep -q '"emergency": true' ||
  fail "the packaged callsvc does not take 112 for an emergency number"
"$work/deb/usr/bin/callsvc" demo >"$work/demo.txt" || { cat "$work/demo.txt"; fail "demo failed"; }
grep "^Loaded $work/deb/" "$work/demo.txt" || fail "the demo did not load the packaged library"

step "package check passed"
