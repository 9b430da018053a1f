#!/usr/bin/env bash
# Builds the Debian package, checks it (lintian, the menu entry, the AppStream data), installs
# it, runs the installed program as a normal user on the virtual keyboard under Xvfb, saves a
# change, finds the data in that user's own folder, then removes the package and checks that
# nothing of it is left. Run as root on a Debian 12 machine; it changes the system's packages.
set -euo pipefail
cd "$(dirname "$0")/.."

if [ "$(id -u)" -ne 0 ]; then
    echo "package-test.sh installs and removes a package: run it as root" >&2
    exit 1
fi

scripts/install-deps.sh lintian desktop-file-utils appstream xvfb xdotool

test_name="package test"
. scripts/lib/x-session.sh

bash scripts/package.sh
deb="$(ls "$PWD"/build/package/tq260_*.deb)"

echo "== lintian"
lintian --fail-on error --tag-display-limit 0 "$deb" 2>&1 | grep -v "root privileges" || true
lintian --fail-on error "$deb" >/dev/null 2>&1 || fail "lintian reports errors"
desktop-file-validate packaging/org.tq260.vantor.desktop
appstreamcli validate --no-net packaging/org.tq260.vantor.metainfo.xml >/dev/null ||
    fail "the AppStream metadata does not validate"

echo "== install"
DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "$deb" >/dev/null
mapfile -t installed < <(dpkg -L tq260)
for path in /usr/bin/tq260 /usr/bin/tq260-launch-keys /usr/bin/tq260ctl \
    "/usr/lib/tq260/TQ260 104vez VANTOR" /usr/lib/tq260/VER.bin \
    /usr/lib/tq260/png/english/main.png /usr/lib/udev/rules.d/70-tq260.rules \
    /usr/share/applications/org.tq260.vantor.desktop \
    /usr/share/dbus-1/interfaces/org.tq260.Vantor1.xml \
    /usr/share/kwin/scripts/tq260-front/contents/code/main.js \
    /usr/share/gnome-shell/extensions/tq260-front@tq260.org/extension.js \
    /usr/share/icons/hicolor/48x48/apps/org.tq260.vantor.png; do
    [ -e "$path" ] || fail "$path is not installed"
done

echo "== the program as a normal user"
user=tq260-trial
id "$user" >/dev/null 2>&1 || useradd --create-home --shell /bin/bash "$user"
home="$(getent passwd "$user" | cut -d: -f6)"
rm -rf "$home/.local/share/TQ260" "$home/.config/TQ260.conf"
runtime="$(mktemp -d)"
chown "$user" "$runtime"
chmod 700 "$runtime"
display=:93
xvfb=""
program=""
cleanup() {
    [ -n "$program" ] && kill "$program" 2>/dev/null || true
    [ -s "$runtime/bus.pid" ] && kill "$(cat "$runtime/bus.pid")" 2>/dev/null || true
    [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null || true
    rm -rf "$runtime"
}
trap cleanup EXIT
start_xvfb "$display"
trace="$runtime/trace.txt"
# The user's session bus, where a desktop session has it: both the program and the tool find it.
runuser -u "$user" -- dbus-daemon --session --address="unix:path=$runtime/bus" --fork \
    --print-pid=1 >"$runtime/bus.pid"
runuser -u "$user" -- env -i HOME="$home" USER="$user" PATH=/usr/bin:/bin DISPLAY="$display" \
    XDG_RUNTIME_DIR="$runtime" tq260 --virtual-keyboard --no-splash --hid-trace "$trace" \
    >"$runtime/program.log" 2>&1 &
program=$!
export DISPLAY="$display"
wait_for 30 find_main_window || fail "the window did not appear: $(cat "$runtime/program.log")"
data="$home/.local/share/TQ260"
memory="$data/VirtualKeyboard.bin"
wait_for 30 test -f "$data/keymap.bin" -a -f "$data/MacroDefine.bin" -a -f "$memory" ||
    fail "the data files are not in $data"
wait_for 30 trace_settled || fail "the keyboard was never read"
save_game_mode_off "$memory"
[ -z "$(find /usr/lib/tq260 /usr/share/tq260 -newer "$deb" -type f)" ] ||
    fail "the program wrote into its installed folder"
owner="$(stat -c %U "$data/keymap.bin")"
[ "$owner" = "$user" ] || fail "keymap.bin belongs to $owner"
echo "saved as $user into $data: $(ls "$data" | tr '\n' ' ')"
# While the program holds the keyboard, the tool goes through it on the session bus.
on_bus() {
    runuser -u "$user" -- env -i HOME="$home" USER="$user" PATH=/usr/bin:/bin \
        XDG_RUNTIME_DIR="$runtime" tq260ctl --virtual-keyboard "$@"
}
on_bus set lighting --brightness 9 >/dev/null || fail "tq260ctl did not go through the program"
on_bus dump | grep -q '"brightness": 9,' || fail "the program's dump does not show the change"
status=0
on_bus --direct dump >/dev/null 2>&1 || status=$?
[ "$status" = 5 ] || fail "tq260ctl --direct was not refused while the program ran ($status)"
kill "$program"
wait "$program" 2>/dev/null || true
program=""

echo "== the command-line tool as the same user"
as_user() { runuser -u "$user" -- env -i HOME="$home" USER="$user" PATH=/usr/bin:/bin "$@"; }
as_user tq260ctl --virtual-keyboard set lighting --brightness 7 >/dev/null ||
    fail "tq260ctl set lighting failed"
as_user tq260ctl --virtual-keyboard dump | grep -q '"brightness": 7,' ||
    fail "tq260ctl does not see the keyboard the program saved into $data"
owner="$(stat -c %U "$memory")"
[ "$owner" = "$user" ] || fail "VirtualKeyboard.bin belongs to $owner"

echo "== launch-key rule"
tq260-launch-keys on >/dev/null
[ "$(tq260-launch-keys status)" = on ] || fail "the launch-key rule did not turn on"
[ -e /etc/udev/rules.d/71-tq260-launch-keys.rules ] || fail "the launch-key rule is not linked"
tq260-lighting-keys on >/dev/null
[ -e /etc/udev/rules.d/72-tq260-lighting-keys.rules ] || fail "the lighting-key rule is not linked"
grep -q 'ID_USB_INTERFACE_NUM}=="03"' /usr/lib/udev/rules.d/70-tq260.rules ||
    fail "the always-on rule grants more than the command channel"

echo "== remove"
# Every file and link the package put there, and its own folders.
files=()
for path in "${installed[@]}"; do
    [ -d "$path" ] && [ ! -L "$path" ] || files+=("$path")
done
DEBIAN_FRONTEND=noninteractive apt-get purge -y -qq tq260 >/dev/null
left=()
for path in "${files[@]}" /etc/udev/rules.d/71-tq260-launch-keys.rules \
    /etc/udev/rules.d/72-tq260-lighting-keys.rules /usr/lib/tq260 \
    /usr/share/tq260 /usr/share/doc/tq260; do
    if [ -e "$path" ] || [ -L "$path" ]; then left+=("$path"); fi
done
[ ${#left[@]} -eq 0 ] || fail "left behind: ${left[*]}"
echo "package test: ok (${#files[@]} files installed and removed)"
