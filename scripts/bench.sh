#!/bin/sh
# Builds the tool and its benchmarks as a user would (RelWithDebInfo) and
# prints how close the tool comes to what the link allows and what it costs
# while it runs. Takes a few minutes: the transfers run at the line rate and
# the CPU is measured over 30 s stretches. Speed is measured here, never
# asserted in tests. Numbers are only comparable on a quiet machine.
#
#   sh scripts/bench.sh [--seconds N]    N seconds a CPU stretch, 30 unless given
set -eu
cd "$(dirname "$0")/.."
# srecord: `srec_cat`, which the HEX reader is measured against.
sh scripts/install-deps.sh srecord
SECONDS_ARG="30"
if [ "${1:-}" = "--seconds" ] && [ -n "${2:-}" ]; then SECONDS_ARG="$2"; fi

cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=OFF \
    -DQM5230_BENCH=ON >/dev/null
cmake --build build-bench -j "$(nproc)" >/dev/null
B=build-bench/bench
if [ ! -x "$B/bench_transfers" ]; then
    echo "The benchmarks were not built: is libbenchmark-dev installed?" >&2
    exit 1
fi
# The windows draw off screen, so no display is needed and none is disturbed.
export QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}"

echo "QM5230 tool benchmarks, $(date -u '+%Y-%m-%d %H:%M UTC'), $(nproc) cores"
echo "Link: simulated unit paced at 38400 baud 8N2, 3490.9 bytes/s; bound = bytes both ways / 3490.9"
echo
echo "| transfer | link | time s | bytes to unit | bytes from unit | bound s | ratio | target |"
echo "|---|---|---|---|---|---|---|---|"
"$B/bench_transfers"
"$B/bench_transfers" --serial build-bench/sim/qm5230-sim
echo
echo "| figure | measured | target |"
echo "|---|---|---|"
"$B/bench_live" --seconds "$SECONDS_ARG" --serial build-bench/sim/qm5230-sim
"$B/bench_startup" --runs 5
"$B/bench_hex" --runs 5
"$B/bench_regions" --runs 5
echo
echo "Main thread, one status poll cycle (box, inputs, 34 channels) handled and painted:"
"$B/bench_liveview" --benchmark_min_time=0.5 2>/dev/null | grep '^BM_' || true
