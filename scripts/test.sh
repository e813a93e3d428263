#!/bin/sh
# Installs what is needed, builds and runs the whole test suite three times:
# a Debug build, a Release build made as users and packagers make it (tests
# included), and a Debug build with AddressSanitizer and
# UndefinedBehaviorSanitizer. Warnings are errors in all three. A test that
# fails counts at once: there is no second try.
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

# The benchmarks are built once, in the Release build they are meant for.
build_and_test build-test 300 -DCMAKE_BUILD_TYPE=Debug -DQM5230_BENCH=OFF
build_and_test build-release 300 -DCMAKE_BUILD_TYPE=Release

(
    export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1"
    export LSAN_OPTIONS="suppressions=$(pwd)/tests/lsan.supp:print_suppressions=0"
    export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
    build_and_test build-asan 600 -DCMAKE_BUILD_TYPE=Debug -DQM5230_SANITIZE=ON
)
