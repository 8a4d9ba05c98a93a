#!/usr/bin/env bash
# Install, packages and consumers. Reuses the Linux x86-64 build (build/default)
# and the Windows i686 build (build/mingw32) of the earlier stages; every
# consumer is built from an installed tree or a package, never from a build
# tree (tests/consumers/):
#   - install into a prefix (twice), move the prefix, run the moved kam tool;
#   - the .tar.gz and the .deb (unpacked, not installed into this machine);
#   - a C program via pkg-config, a C++ program via find_package(kam) and
#     kam::kam, an out-of-tree pattern library via the installed
#     kam_add_pattern_library loaded by the installed `kam libraries --load`,
#     the source tree embedded with add_subdirectory, and `import kam` from
#     the installed Python package when there is one;
#   - the Windows zip, and 32-bit Windows C programs linked against the zip's
#     import libraries (libkam.dll.a with MinGW, kam.lib as MSVC links, with
#     clang's MSVC target and lld-link), run under wine32.
set -euo pipefail
cd "$(dirname "$0")/.."
top=$PWD
work=$top/build/install-ci
rm -rf "$work"
mkdir -p "$work"
unset LD_LIBRARY_PATH
ninja_jobs=(-j 2)

step() { echo "---- $*"; }
fail() { echo "install.sh: $*" >&2; exit 1; }

if [ ! -f build/default/CMakeCache.txt ]; then
    cmake --preset default
fi
cmake --build build/default "${ninja_jobs[@]}"
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/default/CMakeCache.txt)
[ -n "$version" ] || fail "no project version in build/default"

step "install into a prefix, twice; the second install changes nothing"
cmake --install build/default --prefix "$work/prefix" >/dev/null
(cd "$work/prefix" && find . -type f -exec md5sum {} + | sort -k2) >"$work/first.md5"
cmake --install build/default --prefix "$work/prefix" >/dev/null
(cd "$work/prefix" && find . -type f -exec md5sum {} + | sort -k2) >"$work/second.md5"
diff "$work/first.md5" "$work/second.md5" || fail "a second install changed the prefix"
for f in include/kam/kam.h include/kam/kam_plugin.h lib/libkam.so lib/libKAM_Std.so bin/kam \
         lib/cmake/kam/kamConfig.cmake lib/cmake/kam/kamConfigVersion.cmake \
         lib/cmake/kam/kamTargets.cmake lib/cmake/kam/KamPatternLibrary.cmake \
         lib/pkgconfig/kam.pc; do
    [ -f "$work/prefix/$f" ] || fail "$f is not installed"
done

step "a moved prefix still works (relative RPATH, no LD_LIBRARY_PATH)"
mv "$work/prefix" "$work/moved"
prefix=$work/moved
[ "$("$prefix/bin/kam" --version)" = "kam $version" ] || fail "kam --version does not print $version"
"$prefix/bin/kam" demo >"$work/demo.txt"
grep -q KAM_Std "$work/demo.txt" || fail "the moved kam demo did not list the standard library"

step "packages: .tar.gz and .deb at the top of the build folder"
rm -f build/default/kam*.tar.gz build/default/kam*.deb
cmake --build build/default --target package >"$work/package.log" 2>&1 || { cat "$work/package.log"; exit 1; }
tgz=$(ls build/default/kam*.tar.gz)
deb=$(ls build/default/kam*.deb)
tar -tzf "$tgz" >"$work/tgz.txt"
dpkg-deb -c "$deb" >"$work/deb.txt"
grep -q '/lib/libkam.so$' "$work/tgz.txt" || fail "$tgz holds no lib/libkam.so"
grep -q ' ./usr/lib/libkam.so$' "$work/deb.txt" || fail "$deb does not install /usr/lib/libkam.so"
grep -q ' ./usr/bin/kam$' "$work/deb.txt" || fail "$deb does not install /usr/bin/kam"
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "$deb is not version $version"
# Unpacked where it is not installed: the consumers below use it as a moved /usr.
dpkg-deb -x "$deb" "$work/deb"
usr=$work/deb/usr
[ "$("$usr/bin/kam" --version)" = "kam $version" ] || fail "the .deb's kam --version"

step "C consumer through pkg-config (the .deb's kam.pc)"
export PKG_CONFIG_LIBDIR=$usr/lib/pkgconfig
[ "$(pkg-config --modversion kam)" = "$version" ] || fail "kam.pc is not version $version"
libdir=$(pkg-config --variable=libdir kam)
# shellcheck disable=SC2046
cc -std=c99 -Wall -Wextra -Werror tests/consumers/c/consumer.c $(pkg-config --cflags --libs kam) -lm \
   -Wl,-rpath,"$libdir" -o "$work/c_consumer"
"$work/c_consumer"
unset PKG_CONFIG_LIBDIR

step "C++ consumer through find_package(kam) and kam::kam"
cmake -S tests/consumers/cxx -B "$work/cxx" -G Ninja -DCMAKE_PREFIX_PATH="$prefix" >/dev/null
cmake --build "$work/cxx" >/dev/null
"$work/cxx/cxx_consumer"

step "out-of-tree pattern library of a C project, loaded by the installed kam"
cmake -S tests/consumers/patterns -B "$work/patterns" -G Ninja -DCMAKE_PREFIX_PATH="$prefix" \
      -DKAM_WERROR=ON >/dev/null
cmake --build "$work/patterns" >/dev/null
plugin=$work/patterns/libslope_patterns.so
"$prefix/bin/kam" libraries --load "$plugin" | tee "$work/libraries.txt"
# VERSION 2.5.0.7: the first, second and fourth numbers are the library's version.
grep -Eq '^SlopePatterns +2\.5\.7 +1 +1 +0' "$work/libraries.txt" \
    || fail "the pattern library is not listed with version 2.5.7 and one earth pattern"
"$prefix/bin/kam" gain SLOPE_001 --load "$plugin" --gainmax 30 --angles 0,4,12.5 | tee "$work/gain.txt"
# One dB per degree below GainMax.
for row in "0.0000 30.0000" "4.0000 26.0000" "12.5000 17.5000"; do
    awk -v phi="${row% *}" -v gain="${row#* }" '$1 == phi && $2 == gain && $4 == 0 { found = 1 }
        END { exit !found }' "$work/gain.txt" || fail "SLOPE_001 row '$row' missing"
done

step "the source tree embedded with add_subdirectory"
cmake -S tests/consumers/embed -B "$work/embed" -G Ninja -DKAM_SOURCE_DIR="$top" -DKAM_WERROR=ON \
      >/dev/null
ninja -C "$work/embed" -t targets all >"$work/embed-targets.txt"
if grep -Eq '^(kam_tool|tools_cli_test|core_exports_test): ' "$work/embed-targets.txt"; then
    fail "embedding KAM builds its tests or tools"
fi
cmake --build "$work/embed" "${ninja_jobs[@]}" >/dev/null
"$work/embed/embed_consumer"

if [ -f python/kam/__init__.py ]; then
    step "import kam from the installed Python package"
    # From a neutral folder and without KAM_LIBRARY, so that only the
    # installed _location.py can lead to the moved prefix's library.
    (cd / && env -u KAM_LIBRARY PYTHONPATH="$prefix/lib/python3/dist-packages" /usr/bin/python3 -c '
import math, os, kam, kam._location as loc
here = os.path.dirname(loc.__file__)
assert os.path.isfile(os.path.join(here, loc.LIBRARY)), loc.LIBRARY
assert kam.__file__.startswith(here), kam.__file__
r = kam.earth_gain("FSREF_001_V1", [20.0], gain_max=45, diameter=2, frequency=12000)
assert int(r.status[0]) == 0 and abs(float(r.gain[0]) - (32 - 25 * math.log10(20))) < 1e-9, r
print("python: import kam from", here)')
fi

step "Windows zip of the i686 build"
if [ ! -f build/mingw32/CMakeCache.txt ]; then
    cmake --preset mingw32
fi
cmake --build build/mingw32 "${ninja_jobs[@]}"
rm -f build/mingw32/kam*.zip
cmake --build build/mingw32 --target package >"$work/zip.log" 2>&1 || { cat "$work/zip.log"; exit 1; }
zip=$(ls build/mingw32/kam*.zip)
mkdir -p "$work/zip"
(cd "$work/zip" && cmake -E tar xf "$top/$zip")
folder=$(ls -d "$work"/zip/kam*)
for f in kam.dll KAM_Std.dll kam.exe include/kam/kam.h include/kam/kam_plugin.h libkam.dll.a kam.lib kam.def; do
    [ -f "$folder/$f" ] || fail "$zip holds no $f"
done

# shellcheck source=.ci/wine.sh
source .ci/wine.sh
step "32-bit Windows C programs linked against the zip's import libraries"
i686-w64-mingw32-gcc -std=c99 -Wall -Wextra -Werror tests/consumers/c/consumer.c -I"$folder/include" \
    "$folder/libkam.dll.a" -o "$folder/c_consumer.exe"
# As MSVC links, against the zip's kam.lib.
msvc=tests/consumers/msvc
llvm-dlltool -m i386 -k -d $msvc/kernel32.def -l "$work/kernel32.lib"
clang --target=i686-pc-windows-msvc -ffreestanding -fno-stack-protector -O1 -Wall -Wextra -Werror \
      -I"$folder/include" -c $msvc/consumer.c -o "$work/msvc_consumer.obj"
lld-link /nologo /entry:consumer_start /subsystem:console /nodefaultlib \
         /out:"$folder/msvc_consumer.exe" "$work/msvc_consumer.obj" "$folder/kam.lib" "$work/kernel32.lib"

if wine_runs build/mingw32; then
    step "the MinGW-linked consumer under wine32"
    wine_start build/mingw32
    "$wine" "$folder/c_consumer.exe"
    step "the MSVC-linked consumer under wine32"
    "$wine" "$folder/msvc_consumer.exe" || fail "the MSVC-linked consumer failed (exit code $?)"
    wine_stop
else
    step "the 32-bit Windows consumers are built but not run: this machine cannot run them"
fi

echo "install.sh: installed tree, packages and consumers all passed"
