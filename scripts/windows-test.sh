#!/usr/bin/env bash
# Cross-builds the core, the virtual keyboard, tq260ctl and the core tests for 64-bit Windows
# with MinGW-w64, then runs them under Wine: first the tool from a folder and under a name in
# Chinese with spaces, then the whole core test suite, whose summary ends the output.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh cmake ninja-build g++-mingw-w64-x86-64-posix wine64 googletest \
    nlohmann-json3-dev libcli11-dev

build=build/windows
cmake -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
    -DCMAKE_BUILD_TYPE=Debug -DTQ260_WERROR=ON >/dev/null
cmake --build "$build" --target tq260ctl tq260_core_tests

export WINEPREFIX="$PWD/$build/wine" WINEDEBUG=-all
wine=/usr/lib/wine/wine64
fail() {
    echo "windows test: $*" >&2
    exit 1
}

echo "== tq260ctl.exe, renamed, in a folder named in Chinese with spaces"
folder="$build/试用 文件夹"
rm -rf "$folder"
mkdir -p "$folder"
tool="$folder/键盘 工具.exe"
cp "$build/application/tq260ctl.exe" "$tool"
"$wine" "$tool" --virtual-keyboard dump --output "$folder/dump.json" || fail "dump failed"
# The program folder is writable, so the virtual keyboard keeps its memory beside the tool.
[ -f "$folder/VirtualKeyboard.bin" ] || fail "the data files are not beside the renamed tool"
"$wine" "$tool" --virtual-keyboard set key 'F1=launch:exe:C:\Games\游戏 1\run.exe' >/dev/null ||
    fail "set key failed"
"$wine" "$tool" --virtual-keyboard dump | grep -qF '"F1": {
      "launch": "C:\\Games\\游戏 1\\run.exe",' || fail "the launch path did not come back"
"$wine" "$tool" convert "$folder/keymap.bin" --to "$folder/配置 1.json" &&
    "$wine" "$tool" convert "$folder/配置 1.json" --to "$folder/配置 2.bin" ||
    fail "convert failed"
cmp "$folder/keymap.bin" "$folder/配置 2.bin" || fail "the converted profile differs"
echo "the tool works there; its data files are beside it"

echo "== the core tests"
cd "$build/tests"
"$wine" tq260_core_tests.exe --gtest_brief=1
