#!/usr/bin/env bash
# Builds the benchmarks in Release and runs them against the virtual keyboard.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DTQ260_BENCH=ON -DTQ260_TESTS=OFF >/dev/null
cmake --build build/bench
build/bench/bench/tq260_device_bench "$@"
build/bench/bench/tq260_files_bench "$@"
build/bench/bench/tq260_launch_watcher_bench "$@"
build/bench/bench/tq260_tool_bench "$@"
build/bench/bench/tq260_skin_bench "$@"
build/bench/bench/tq260_window_bench "$@"
QT_SCALE_FACTOR=2 build/bench/bench/tq260_window_bench "$@"
build/bench/bench/tq260_key_dialog_bench "$@"
build/bench/bench/tq260_macro_manager_bench "$@"
build/bench/bench/tq260_profile_bench "$@"
build/bench/bench/tq260_profile_switch_bench "$@"
build/bench/bench/tq260_bus_bench "$@"
# Under an X server of its own, for the idle cost of the X11 watcher.
xvfb-run -a build/bench/bench/tq260_front_switch_bench "$@"
build/bench/bench/tq260_silent_keyboard_bench "$@"
build/bench/bench/tq260_window_responsiveness_bench "$@"

echo "Start-up on the virtual keyboard, without the splash screen (five runs):"
cmake --build build/bench --target tq260_app
for run in 1 2 3 4 5; do
    QT_QPA_PLATFORM=offscreen "build/bench/application/TQ260 104vez VANTOR" \
        --virtual-keyboard --no-splash --startup-report 2>/dev/null
done
