#!/bin/sh
# Installs what is needed, builds and runs the whole test suite twice: a
# Release build made as users and packagers make it (tests and benchmarks
# included), and a Debug build with AddressSanitizer and
# UndefinedBehaviorSanitizer; then runs every fuzz target for FUZZ_SECONDS
# (30 by default). Warnings are errors in all of them. A test that fails
# counts at once: there is no second try.
set -eu
cd "$(dirname "$0")/.."
sh scripts/install-deps.sh
JOBS="$(nproc)"
export QT_QPA_PLATFORM=offscreen

# build_and_test <dir> <test timeout in s> <cmake options...>
build_and_test() {
    dir="$1"
    timeout="$2"
    shift 2
    cmake -S . -B "$dir" -G Ninja -DQM5230_WERROR=ON "$@"
    cmake --build "$dir" -j "$JOBS"
    ctest --test-dir "$dir" --output-on-failure -j "$JOBS" --timeout "$timeout"
}

# The benchmarks are built (not run) in the Release build they are meant for.
build_and_test build-release 300 -DCMAKE_BUILD_TYPE=Release

(
    export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1"
    export LSAN_OPTIONS="suppressions=$(pwd)/tests/lsan.supp:print_suppressions=0"
    export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
    build_and_test build-asan 600 -DCMAKE_BUILD_TYPE=Debug -DQM5230_SANITIZE=ON
)

sh scripts/fuzz.sh
