#!/usr/bin/env bash
# Builds the program and starts it: on the keyboard when one is plugged in, otherwise on
# the virtual keyboard. Extra arguments go to the program.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake -S . -B build/run -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTQ260_TESTS=OFF >/dev/null
cmake --build build/run

keyboard_present() {
    local device
    for device in /sys/bus/usb/devices/*; do
        [ -r "$device/idVendor" ] || continue
        if [ "$(cat "$device/idVendor")" = "04d9" ] && [ "$(cat "$device/idProduct")" = "a12f" ]; then
            return 0
        fi
    done
    return 1
}

program="build/run/application/TQ260 104vez VANTOR"
arguments=("$@")
if ! keyboard_present; then
    echo "No TQ260 keyboard plugged in: starting on the virtual keyboard."
    arguments=(--virtual-keyboard "${arguments[@]}")
fi
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    # Nothing to show a window on: start it off-screen, report the start-up, and end.
    echo "No display: starting off-screen to report the start-up, then ending."
    export QT_QPA_PLATFORM=offscreen
    arguments+=(--no-splash --startup-report)
fi
"$program" "${arguments[@]}"
