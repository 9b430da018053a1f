#!/usr/bin/env bash
# The whole program for 64-bit Windows, built against Qt and hidapi made from Debian's sources
# (scripts/windows-qt.sh, which does nothing once they are there), then run under Wine on Xvfb
# on the virtual keyboard from a folder named in Chinese with spaces: the window shows
# (build/windows-gui/screens/), Game Mode OFF and Save reach the virtual keyboard's memory,
# the key dialog captures a key typed with xdotool and the tool reads it back, and the tray
# icon docks in a system tray. Then the installer is made, installed and uninstalled under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

mapfile -t prefixes < <(scripts/windows-qt.sh)
qt=${prefixes[0]}
hidapi=${prefixes[1]}
scripts/install-deps.sh wine64 xvfb xdotool x11-apps netpbm stalonetray qt6-translations-l10n \
    nsis fonts-liberation fonts-wqy-microhei

fail() {
    echo "windows gui test: $*" >&2
    exit 1
}
# Waits up to $1 seconds for the command after it to succeed.
wait_for() {
    local limit=$1
    shift
    local deadline=$((SECONDS + limit))
    until "$@"; do
        [ $SECONDS -lt $deadline ] || return 1
        sleep 0.1
    done
}

echo "== build"
# The skin art is drawn by a program for this machine.
host=build/windows-host
cmake -S . -B "$host" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTQ260_TESTS=OFF >/dev/null
cmake --build "$host" --target tq260_skin_art >/dev/null
build=build/windows-gui
cmake -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
    -DCMAKE_BUILD_TYPE=Release -DTQ260_WERROR=ON -DTQ260_UI=ON -DTQ260_TESTS=OFF \
    -DCMAKE_FIND_ROOT_PATH="$qt" -DCMAKE_PREFIX_PATH="$qt" \
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    -DTQ260_WINDOWS_HIDAPI="$hidapi" -DTQ260_HOST_SKIN_ART="$root/$host/tq260_skin_art" >/dev/null
cmake --build "$build"

export WINEPREFIX="$root/$build/wine" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
wine=/usr/lib/wine/wine64
display=:94
Xvfb "$display" -screen 0 1280x800x24 -nolisten tcp -noreset >/dev/null 2>&1 &
xvfb=$!
program=""
tray=""
cleanup() {
    [ -n "$program" ] && kill "$program" 2>/dev/null || true
    [ -n "$tray" ] && kill "$tray" 2>/dev/null || true
    DISPLAY="$display" /usr/lib/wine/wineserver64 -k 2>/dev/null || true
    kill "$xvfb" 2>/dev/null || true
}
trap cleanup EXIT
export DISPLAY="$display"
wait_for 10 xdotool getmouselocation >/dev/null 2>&1 || fail "Xvfb did not start"
"$wine" wineboot --init >/dev/null 2>&1
screens="$build/screens"
mkdir -p "$screens"
shot() { xwd -root -silent | xwdtopnm 2>/dev/null | pnmtopng >"$screens/$1.png"; }

# A system tray for Wine to dock into, as a desktop has one.
stalonetray --geometry 4x1+1000+760 --icon-size 24 --kludges force_icons_size \
    >/dev/null 2>&1 &
tray=$!

folder="$build/试用 文件夹"
rm -rf "$folder"
cp -r "$build/application" "$folder"
rm -f "$folder"/{keymap.bin,MacroDefine.bin,VirtualKeyboard.bin,VirtualKeyboard.lock}
exe="$folder/TQ260 104vez VANTOR.exe"
trace="$build/trace.txt"
rm -f "$trace"
start_program() {
    "$wine" "$exe" --virtual-keyboard --no-splash --hid-trace "$(winepath -w "$trace")" \
        >"$build/program.log" 2>&1 &
    program=$!
}
find_window() { window="$(xdotool search --name '^TQ260 104vez VANTOR$' 2>/dev/null | head -1)"; [ -n "$window" ]; }

echo "== the program under Wine, from a folder named in Chinese"
start_program
wait_for 60 find_window || fail "the window did not appear: $(cat "$build/program.log")"
memory="$folder/VirtualKeyboard.bin"
wait_for 30 test -f "$folder/keymap.bin" -a -f "$folder/MacroDefine.bin" -a -f "$memory" ||
    fail "the data files are not beside the program: $(ls "$folder")"
# The read at the start has ended when the trace stops growing.
settled() {
    local before
    before=$(stat -c %s "$trace" 2>/dev/null || echo 0)
    sleep 0.5
    [ "$before" -gt 0 ] && [ "$before" = "$(stat -c %s "$trace")" ]
}
wait_for 30 settled || fail "the keyboard was never read"
shot main-window
before="$(md5sum <"$memory")"
click() { xdotool mousemove --window "$window" "$1" "$2" click 1; }
click 100 195 # the game mode section
click 83 225  # OFF
click 950 615 # Save
changed() { [ "$(md5sum <"$memory")" != "$before" ]; }
wait_for 20 changed || fail "Save did not reach the virtual keyboard"
grep -q " cmd set " "$trace" || fail "no command in the HID trace"
echo "Game Mode OFF saved into the virtual keyboard's memory"
