#!/usr/bin/env bash
# Fuzzing stage: builds the libFuzzer targets of fuzz/ with clang (the host
# and the standard library instrumented, AddressSanitizer and
# UndefinedBehaviorSanitizer stopping at the first fault) in build/fuzz, then
# runs each target for FUZZ_SECONDS (30) from its seed corpus. Any finding
# (a crash, a sanitizer report, a broken invariant, a leak, a timeout) fails
# the stage; the input that caused it is kept in build/fuzz/findings/.
set -euo pipefail

cd "$(dirname "$0")/.."
seconds=${FUZZ_SECONDS:-30}
build=build/fuzz
targets="fuzz_exports fuzz_event_line fuzz_version_file fuzz_hostile_library fuzz_legacy_name"

launcher=()
if command -v ccache >/dev/null 2>&1; then
    launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DKAM_FUZZ=ON -DKAM_BUILD_TESTS=OFF -DKAM_BUILD_TOOLS=OFF -DKAM_BUILD_BENCH=OFF \
    "${launcher[@]}"
cmake --build "$build" --target kam_fuzz -j 2

findings=$PWD/$build/findings
mkdir -p "$findings"
failed=""
for target in $targets; do
    # New inputs go to a scratch folder; the corpus in the tree is only read.
    scratch=$PWD/$build/corpus/$target
    rm -rf "$scratch"
    mkdir -p "$scratch"
    dict=()
    if [ -f "fuzz/dict/$target.dict" ]; then
        dict=(-dict="fuzz/dict/$target.dict")
    fi
    echo "---- $target: ${seconds} s"
    if ! "$build/bin/$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
            -max_len=4096 -print_final_stats=1 -artifact_prefix="$findings/$target-" \
            "${dict[@]}" "$scratch" "fuzz/corpus/$target" >"$build/$target.log" 2>&1; then
        tail -n 60 "$build/$target.log"
        failed="$failed $target"
    else
        grep -E '^stat::number_of_executed_units|^Done' "$build/$target.log" || true
    fi
done

if [ -n "$failed" ]; then
    echo "fuzzing found faults in:$failed (inputs in $findings; see fuzz/README.md)"
    exit 1
fi
