#!/usr/bin/env bash
# Renders the skins and the skinned controls, in both languages, to PNG files in
# build/run/snapshots/ for people to look at.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake -S . -B build/run -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTQ260_TESTS=OFF >/dev/null
cmake --build build/run --target tq260_snapshots tq260_skins
QT_QPA_PLATFORM=offscreen build/run/tq260_snapshots build/run/application build/run/snapshots
