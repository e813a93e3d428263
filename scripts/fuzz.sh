#!/bin/sh
# Builds the fuzz targets with clang under AddressSanitizer and
# UndefinedBehaviorSanitizer and runs each for FUZZ_SECONDS (30 by default),
# as many at once as there are cores. A finding is kept in build-fuzz/findings/
# and fails the run. FUZZ_TARGETS="fuzz_hexfile ..." picks targets.
set -eu
cd "$(dirname "$0")/.."
sh scripts/install-deps.sh
SECONDS_EACH="${FUZZ_SECONDS:-30}"
JOBS="$(nproc)"

CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DQM5230_FUZZ=ON -DQM5230_WERROR=ON
cmake --build build-fuzz -j "$JOBS" --target fuzz_targets

TARGETS="${FUZZ_TARGETS:-$(find build-fuzz/fuzz -maxdepth 1 -type f -perm -u+x -name "fuzz_*" -printf "%f " | sort)}"
mkdir -p build-fuzz/findings build-fuzz/logs
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS="detect_leaks=0:abort_on_error=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"

run_one() {
    t="$1"
    work="build-fuzz/corpus/$t"
    mkdir -p "$work"
    if "./build-fuzz/fuzz/$t" -max_total_time="$SECONDS_EACH" -timeout=20 -rss_limit_mb=3072 \
        -print_final_stats=1 -artifact_prefix="build-fuzz/findings/$t-" \
        "$work" "fuzz/corpus/$t" >"build-fuzz/logs/$t.log" 2>&1; then
        echo "$t: $(grep -m1 -o 'stat::number_of_executed_units: *[0-9]*' "build-fuzz/logs/$t.log" | grep -o '[0-9]*$') runs, no finding"
    else
        echo "$t: FINDING (build-fuzz/logs/$t.log)"
        tail -n 40 "build-fuzz/logs/$t.log"
        return 1
    fi
}

failed=0
running=0
pids=""
for t in $TARGETS; do
    run_one "$t" &
    pids="$pids $!"
    running=$((running + 1))
    if [ "$running" -ge "$JOBS" ]; then
        for p in $pids; do wait "$p" || failed=1; done
        pids=""
        running=0
    fi
done
for p in $pids; do wait "$p" || failed=1; done
if [ "$failed" -ne 0 ]; then
    echo "fuzz: a target found an input that breaks it; see build-fuzz/findings/" >&2
    exit 1
fi
echo "fuzz: every target ran ${SECONDS_EACH} s without a finding"
