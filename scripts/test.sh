#!/bin/sh
# Installs what is needed, builds and runs the whole test suite: first a
# normal build, then one with AddressSanitizer and UndefinedBehaviorSanitizer.
set -eu
cd "$(dirname "$0")/.."
sh scripts/install-deps.sh
JOBS="$(nproc)"
export QT_QPA_PLATFORM=offscreen
# A test that fails is run once more before it counts: the end-to-end tests
# drive real threads and a paced unit on whatever load the machine has.

cmake -S . -B build-test -G Ninja -DCMAKE_BUILD_TYPE=Debug
cmake --build build-test -j "$JOBS"
ctest --test-dir build-test --output-on-failure -j "$JOBS" --timeout 300 --repeat until-pass:2

cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQM5230_SANITIZE=ON
cmake --build build-asan -j "$JOBS"
ASAN_OPTIONS="detect_leaks=1:abort_on_error=1" \
LSAN_OPTIONS="suppressions=$(pwd)/tests/lsan.supp:print_suppressions=0" \
UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1" \
    ctest --test-dir build-asan --output-on-failure -j "$JOBS" --timeout 600 --repeat until-pass:2
