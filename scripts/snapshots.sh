#!/usr/bin/env bash
# Renders the skins and the skinned controls, in both languages, to PNG files in
# build/run/snapshots/ for people to look at.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake -S . -B build/run -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTQ260_TESTS=OFF >/dev/null
cmake --build build/run --target tq260_snapshots tq260_skins
# At another scale (QT_SCALE_FACTOR=2), into a folder of its own.
out=build/run/snapshots${QT_SCALE_FACTOR:+-${QT_SCALE_FACTOR}x}
QT_QPA_PLATFORM=offscreen build/run/tq260_snapshots build/run/application "$out"
