#!/usr/bin/env bash
# The Windows i686 (MinGW-w64) test suite, run for real under wine32, and the
# Windows zip's `kam.exe demo`. Reuses the build of the earlier stage
# (build/mingw32); one persistent wine server serves every test.
set -euo pipefail
cd "$(dirname "$0")/.."
top=$PWD

if [ ! -f build/mingw32/CMakeCache.txt ]; then
    cmake --preset mingw32
fi
cmake --build --preset mingw32 -j 2

# shellcheck source=.ci/wine.sh
source .ci/wine.sh
if ! wine_runs build/mingw32; then
    echo "wine32.sh: skipped: 32-bit Windows programs cannot run on this machine" \
         "(the i686 build and its export table were checked in the earlier stage)"
    exit 0
fi
wine_start build/mingw32

ctest --preset mingw32 -j 2

# The zip as a user unpacks it: the tool runs from the unpacked folder.
work=$top/build/wine32-ci
rm -rf "$work" build/mingw32/kam*.zip
mkdir -p "$work"
cmake --build build/mingw32 --target package >"$work/zip.log" 2>&1 || { cat "$work/zip.log"; exit 1; }
zip=$(ls build/mingw32/kam*.zip)
(cd "$work" && cmake -E tar xf "$top/$zip")
folder=$(ls -d "$work"/kam*)
"$wine" "$folder/kam.exe" demo >"$work/demo.txt"
grep -q KAM_Std "$work/demo.txt" || { cat "$work/demo.txt"; echo "wine32.sh: kam.exe demo listed no KAM_Std" >&2; exit 1; }
echo "wine32.sh: kam.exe demo from $zip ran under wine32"

wine_stop
