#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for the given number of seconds
# (default 60). Findings land in build/fuzz/findings/.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"

scripts/install-deps.sh
command -v clang++ >/dev/null || apt-get install -y -qq clang
CXX=clang++ cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DTQ260_FUZZ=ON -DTQ260_TESTS=OFF -DTQ260_UI=OFF >/dev/null
cmake --build build/fuzz --target tq260_keymap_fuzz tq260_macro_fuzz tq260_keyboard_replies_fuzz \
    tq260_device_replies_fuzz tq260_config_reader_fuzz \
    tq260_profile_convert_fuzz

mkdir -p build/fuzz/findings
for target in keymap macro keyboard_replies device_replies config_reader profile_convert; do
    corpus="build/fuzz/corpus-$target"
    mkdir -p "$corpus"
    echo "== $target: ${seconds}s"
    "build/fuzz/tests/fuzz/tq260_${target}_fuzz" "$corpus" -max_total_time="$seconds" \
        -max_len=250000 -artifact_prefix=build/fuzz/findings/ -print_final_stats=1 2>&1 |
        grep -E "stat::number_of_executed_units|ERROR|SUMMARY|Done" || true
done
