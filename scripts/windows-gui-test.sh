#!/usr/bin/env bash
# The whole program for 64-bit Windows, built against Qt and hidapi made from Debian's sources
# (scripts/windows-qt.sh, which does nothing once they are there), then run under Wine on Xvfb
# on the virtual keyboard from a folder named in Chinese with spaces: the window shows
# (build/windows-gui/screens/), Game Mode OFF and Save reach the virtual keyboard's memory,
# a second start hands over to the first, the tray icon is drawn in Wine's tray window, the key
# dialog captures a key typed with xdotool and the tool reads it back. Then the installer is
# made, installed and uninstalled under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

mapfile -t prefixes < <(scripts/windows-qt.sh)
qt=${prefixes[0]}
hidapi=${prefixes[1]}
scripts/install-deps.sh wine64 xvfb xdotool x11-apps netpbm qt6-translations-l10n \
    nsis fonts-liberation fonts-wqy-microhei
test_name="windows gui test"
. scripts/lib/x-session.sh

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
scripts/windows-installer.sh "$build" "$build/TQ260-Setup.exe"

# A new Wine prefix each run, so nothing of an earlier run is found.
export WINEPREFIX="$root/$build/wine" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
rm -rf "$WINEPREFIX"
wine=/usr/lib/wine/wine64
display=:94
xvfb=""
program=""
cleanup() {
    [ -n "$program" ] && kill "$program" 2>/dev/null || true
    DISPLAY="$display" /usr/lib/wine/wineserver64 -k 2>/dev/null || true
    [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null || true
}
trap cleanup EXIT
start_xvfb "$display"
export DISPLAY="$display"
"$wine" wineboot --init >/dev/null 2>&1
# The program asks for Arial, which Wine does not have.
"$wine" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v Arial /d 'Liberation Sans' /f \
    >/dev/null 2>&1
# A steady caret, so that a changed picture means a changed text.
"$wine" reg add 'HKCU\Control Panel\Desktop' /v CursorBlinkRate /d -1 /f >/dev/null 2>&1
screens="$build/screens"
rm -rf "$screens"
mkdir -p "$screens"
shot() { xwd -root -silent | xwdtopnm 2>/dev/null | pnmtopng >"$screens/$1.png"; }
# Wine 8 draws the program's dialogs into X windows whose picture never reaches the screen (a
# capture shows them black), though the windows' own pictures are right; the screenshot puts
# the dialog's own picture where it stands.
shot_with() {
    local X Y
    eval "$(xdotool getwindowgeometry --shell "$2" | grep -E '^(X|Y)=')"
    xwd -id "$2" -silent | xwdtopnm 2>/dev/null >"$screens/$1.dialog.ppm"
    xwd -root -silent | xwdtopnm 2>/dev/null |
        pnmpaste "$screens/$1.dialog.ppm" "$X" "$Y" | pnmtopng >"$screens/$1.png"
    rm "$screens/$1.dialog.ppm"
}
windows_path() { local path="Z:$1"; printf '%s' "${path//\//\\}"; }

folder="$root/$build/试用 文件夹"
rm -rf "$folder"
cp -r "$build/application" "$folder"
exe="$folder/TQ260 104vez VANTOR.exe"
trace="$root/$build/trace.txt"
rm -f "$trace"
start_program() {
    "$wine" "$1" --virtual-keyboard --no-splash --hid-trace "$(windows_path "$trace")" \
        >"$build/program.log" 2>&1 &
    program=$!
}
stop_program() {
    kill "$program"
    wait "$program" 2>/dev/null || true
    program=""
}

echo "== the program under Wine, from a folder named in Chinese"
start_program "$exe"
wait_for 60 find_main_window || fail "the window did not appear: $(cat "$build/program.log")"
memory="$folder/VirtualKeyboard.bin"
wait_for 30 test -f "$folder/keymap.bin" -a -f "$folder/MacroDefine.bin" -a -f "$memory" ||
    fail "the data files are not beside the program: $(ls "$folder")"
wait_for 30 trace_settled || fail "the keyboard was never read"
shot main-window
save_game_mode_off "$memory"
echo "Game Mode OFF saved into the virtual keyboard's memory"

# A second start hands its request to the first copy and ends.
status=0
timeout 60 "$wine" "$exe" --virtual-keyboard --no-splash >/dev/null 2>&1 || status=$?
[ "$status" = 0 ] || fail "a second start did not hand over to the first ($status)"

# Wine offers its own tray window where no desktop tray runs; the icon is drawn in it.
tray="$(window_named '^Wine System Tray$')"
[ -n "$tray" ] || fail "Wine shows no system tray"
colours=$(xwd -id "$tray" -silent | xwdtopnm 2>/dev/null | ppmhist -noheader | wc -l)
[ "$colours" -gt 8 ] || fail "no icon in Wine's system tray ($colours colours)"
echo "the tray icon is in Wine's system tray"

dialog=""
find_dialog() {
    dialog="$(window_named '^TQ260 104vez VANTOR$' "$window")"
    [ -n "$dialog" ]
}
dialog_gone() { ! find_dialog; }
click 389 197 # F1
wait_for 20 find_dialog || fail "the key dialog did not open"
xdotool mousemove --window "$dialog" 150 96 click 1 # the capture box
dialog_image() { xwd -id "$dialog" -silent | md5sum; }
typed="$(dialog_image)"
xdotool key F5
dialog_repainted() { [ "$(dialog_image)" != "$typed" ]; }
wait_for 10 dialog_repainted || fail "the key dialog did not show the key typed"
shot_with key-dialog "$dialog"
xdotool mousemove --window "$dialog" 288 257 click 1 # Save
wait_for 20 dialog_gone || fail "the key dialog did not close on Save"
save_in_main_window "$memory"
stop_program
dump="$(timeout 60 "$wine" "$folder/tq260ctl.exe" --virtual-keyboard dump 2>/dev/null)" ||
    fail "tq260ctl.exe could not read the virtual keyboard"
# Every full read turns Game Mode on first, so the tool's dump cannot show it OFF; the trace
# above did. The key's new function is the keyboard's own.
echo "$dump" | tr -d ' \r\n' | grep -q '"F1":{"key":"F5"}' || fail "the tool does not see F1 as F5"
echo "F1 captured as F5 in the key dialog, saved, and read back by tq260ctl.exe"
# Without the virtual keyboard the tool looks for a real one through hid.dll.
status=0
answer="$(timeout 60 "$wine" "$folder/tq260ctl.exe" dump 2>&1)" || status=$?
[ "$status" = 1 ] && [[ "$answer" == *"No TQ260 keyboard found."* ]] ||
    fail "tq260ctl.exe did not look for a real keyboard ($status): $answer"

echo "== the installer"
timeout 120 "$wine" "$build/TQ260-Setup.exe" /S || fail "TQ260-Setup.exe /S failed"
installed="$WINEPREFIX/drive_c/Program Files/TQ260 104vez VANTOR"
menu="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/TQ260 104vez VANTOR"
key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\TQ260 104vez VANTOR'
for path in "TQ260 104vez VANTOR.exe" tq260ctl.exe Uninstall.exe Qt6Widgets.dll qt.conf \
    plugins/platforms/qwindows.dll translations/qtbase_zh_CN.qm png/english/main.png; do
    [ -f "$installed/$path" ] || fail "$path is not installed"
done
[ -f "$menu/TQ260 104vez VANTOR.lnk" ] || fail "no Start menu entry"
"$wine" reg query "$key" /v UninstallString 2>/dev/null | grep -q 'Uninstall.exe' ||
    fail "no entry in the system's list of programs"
# The installed program runs, and keeps its data beside itself where it may write.
start_program "$installed/TQ260 104vez VANTOR.exe"
wait_for 60 find_main_window || fail "the installed program did not start"
wait_for 30 test -f "$installed/keymap.bin" || fail "the installed program wrote no data"
stop_program

echo "== the uninstaller"
# It copies itself away and returns at once; the files go while it runs.
"$wine" "$installed/Uninstall.exe" /S || fail "Uninstall.exe /S failed"
uninstalled() { [ ! -e "$installed/Uninstall.exe" ] && ! "$wine" reg query "$key" >/dev/null 2>&1; }
wait_for 60 uninstalled || fail "the uninstaller did not finish"
left="$(cd "$installed" && find . -type f -not -name '*.bin' -not -name '*.lock' \
    -not -path './Configure/*' | sort)"
[ -z "$left" ] || fail "left behind: $left"
[ -f "$installed/keymap.bin" ] || fail "the uninstaller removed the user's keymap"
[ ! -e "$menu" ] || fail "the Start menu entry is still there"
echo "installed, started, uninstalled; kept: $(cd "$installed" && find . -type f | sort | tr '\n' ' ')"
echo "windows gui test: ok (screens in $build/screens)"
