# Sourced by the stages that run Windows programs under wine.
#
#   wine_start BUILD  exports the wine environment of the build folder BUILD
#                     (its prefix, its toolchain's loader as $wine) and starts
#                     one persistent wine server for it, outside CTest: a
#                     server started by a test would hold that test's output
#                     open and be started again for every test. The server is
#                     stopped on exit, or by wine_stop.
#   wine_runs BUILD   tells whether the loader of BUILD's toolchain can run
#                     here at all: false (with a note on stderr) only when the
#                     kernel refuses to execute it, as a kernel without 32-bit
#                     support does for wine32; any other failure is an error.

wine_loader() {
    local loader
    loader=$(sed -n 's/^KAM_WINE:FILEPATH=//p' "$1/CMakeCache.txt")
    [ -n "$loader" ] || { echo "wine.sh: $1 found no wine loader" >&2; return 1; }
    echo "$loader"
}

wine_runs() {
    local loader rc=0
    loader=$(wine_loader "$1") || exit 1
    "$loader" --version >/dev/null 2>&1 || rc=$?
    if [ "$rc" -eq 126 ]; then
        echo "wine.sh: this machine's kernel cannot execute $loader (no 32-bit support)" >&2
        return 1
    fi
    [ "$rc" -eq 0 ] || { echo "wine.sh: $loader --version failed (exit code $rc)" >&2; exit 1; }
}

wine_start() {
    wine=$(wine_loader "$1") || exit 1
    export WINEPREFIX=$PWD/$1/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    case "$wine" in
        *wine64) export WINELOADER=$wine ;;
    esac
    mkdir -p "$WINEPREFIX"
    trap 'wine_stop' EXIT
    wineserver -p </dev/null >/dev/null 2>&1
    "$wine" wineboot </dev/null >/dev/null 2>&1
}

wine_stop() {
    wineserver -k >/dev/null 2>&1 || true
    trap - EXIT
}
