#!/bin/sh
# Installs what is needed, builds, and starts the tool with the simulated unit.
set -eu
cd "$(dirname "$0")/.."
sh scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=OFF
cmake --build build --target qm5230 qm5230-sim
export QM5230_SIMULATOR=1
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "No display found: running under Xvfb." >&2
    exec xvfb-run -a ./build/app/qm5230 "$@"
fi
exec ./build/app/qm5230 "$@"
