#!/bin/sh
# Runs the tests that involve the worker thread under ThreadSanitizer.
set -eu
cd "$(dirname "$0")/.."
sh scripts/install-deps.sh
cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQM5230_TSAN=ON -DQM5230_BENCH=OFF
cmake --build build-tsan -j "$(nproc)"
QT_QPA_PLATFORM=offscreen TSAN_OPTIONS="halt_on_error=1 suppressions=$(pwd)/tests/tsan.supp" \
    ctest --test-dir build-tsan --output-on-failure -R 'UsbThread|EndToEnd|SimLine|LineThreads|Backend|TzcTimer|TzcMMTimer|MMTimerLayer|RunProg|RealChild' --timeout 600
