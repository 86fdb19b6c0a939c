#!/usr/bin/env bash
# Builds the fuzz targets with clang and runs each for FUZZ_SECONDS (default
# 60), starting from the seed corpus the ordinary build writes. Inputs that
# crash, leak or take longer than FUZZ_TIMEOUT seconds land in
# <fuzz build>/findings; each is to become a regression test. At the end the
# slowest input of each target's corpus is timed and reported.
#   scripts/fuzz.sh [build folder] [fuzz build folder]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
fuzz_build=${2:-build-fuzz}
seconds=${FUZZ_SECONDS:-60}
timeout=${FUZZ_TIMEOUT:-10}
targets=(fuzz_wmf fuzz_pictures fuzz_data_files fuzz_music_commands)

cmake -S . -B "$fuzz_build" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAVRELLE_FUZZ=ON >/dev/null
cmake --build "$fuzz_build" -j "$(nproc)" --target fuzz_targets
cmake --build "$build" -j "$(nproc)" --target tavrelle-fuzz-seeds
rm -rf "$fuzz_build/seeds"
QT_QPA_PLATFORM=offscreen "$build/tavrelle-fuzz-seeds" "$fuzz_build/seeds"
mkdir -p "$fuzz_build/findings"

# Leak checks stay on; only the toolkit's own caches are let through.
export ASAN_OPTIONS=detect_leaks=1
export LSAN_OPTIONS="suppressions=$PWD/scripts/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export QT_QPA_PLATFORM=offscreen

status=0
for target in "${targets[@]}"; do
    corpus="$fuzz_build/corpus/$target"
    mkdir -p "$corpus"
    log="$fuzz_build/$target.log"
    echo "== $target: ${seconds} s"
    if ! "$fuzz_build/$target" -max_total_time="$seconds" -timeout="$timeout" -rss_limit_mb=2560 \
        -artifact_prefix="$fuzz_build/findings/$target-" -print_final_stats=1 \
        "$corpus" "$fuzz_build/seeds/$target" >"$log" 2>&1; then
        status=1
        echo "$target: a fault was found; see $log and $fuzz_build/findings"
        grep -E "^==[0-9]+==ERROR|SUMMARY|Test unit written" "$log" | head -5 || true
    fi
    grep -E "^stat::number_of_executed_units" "$log" | sed "s/^/$target: /" || true
    # Every input of the corpus once, each timed by the fuzzer itself.
    find "$corpus" "$fuzz_build/seeds/$target" -type f -print0 |
        xargs -0 -r "$fuzz_build/$target" -timeout="$timeout" 2>&1 |
        sed -n 's/^Executed \(.*\) in \([0-9]*\) ms$/\2 \1/p' | sort -n | tail -1 |
        awk -v t="$target" '{ printf "%s: slowest input %s ms (%s)\n", t, $1, $2 }'
done
exit $status
