#!/usr/bin/env bash
# Builds every test with AddressSanitizer and UndefinedBehaviorSanitizer, warnings as
# errors, and runs them all.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake -S . -B build/test -G Ninja -DCMAKE_BUILD_TYPE=Debug \
    -DTQ260_SANITIZE=ON -DTQ260_WERROR=ON >/dev/null
cmake --build build/test
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export QT_QPA_PLATFORM=offscreen
ctest --test-dir build/test --output-on-failure -j "$(nproc)"
