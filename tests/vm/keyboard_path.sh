#!/usr/bin/env bash
# The real keyboard's path, run inside a virtual machine (scripts/vm-test.sh runs this as
# root): the virtual keyboard's firmware as a USB device on dummy_hcd, reached through the
# kernel's usbhid and hidraw, hidapi, udev and evdev by the real binaries. Each command's HID
# trace must equal, line for line and times aside, the same command's on the in-process
# virtual keyboard, and both keyboards' memories must end byte for byte the same.
#   keyboard_path.sh BUILD_FOLDER [PART...]     parts: tool udev plug program (default: all)
set -euo pipefail

build="$(realpath "${1:?the build folder}")"
repo="$(realpath "$(dirname "$0")/../..")"
shift
parts=("$@")
[ ${#parts[@]} -gt 0 ] || parts=(tool udev program plug)
ctl="$build/application/tq260ctl"
device="$build/vm/tq260-usb-keyboard"
work="$(mktemp -d /tmp/keyboard-path.XXXXXX)"
chmod 755 "$work"
failures=0
# What a failure leaves, for a person to look at.
keep() { [ "$failures" -eq 0 ] || [ -z "${VM_OUT:-}" ] || cp -r "$work" "$VM_OUT/keyboard-path"; }
trap keep EXIT

fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}
pass() { echo "ok: $*"; }

# Polls COMMAND until it succeeds, at most LIMIT seconds.
wait_for() {
    local limit=$1
    shift
    local end=$((SECONDS + limit))
    until "$@" >/dev/null 2>&1; do
        [ "$SECONDS" -lt "$end" ] || return 1
        sleep 0.05
    done
}

modprobe -a dummy_hcd libcomposite usb_f_fs usbhid hid_generic
mountpoint -q /sys/kernel/config || mount -t configfs none /sys/kernel/config

# The hidraw nodes of the keyboard, one per interface, as "INTERFACE NODE" lines.
keyboard_nodes() {
    local node dev
    for node in /sys/class/hidraw/hidraw*; do
        [ -e "$node" ] || continue
        dev="$(realpath "$node/device")"
        case "$dev" in *04D9:A12F*) ;; *) continue ;; esac
        # .../1-1:1.3/0003:04D9:A12F.0004 : the interface is the digit after the last dot
        # of the USB interface's folder.
        echo "$(basename "$(dirname "$dev")" | sed 's/.*\.//') /dev/$(basename "$node")"
    done | sort
}
all_nodes_there() { [ "$(keyboard_nodes | wc -l)" -eq 4 ]; }
no_nodes_there() { [ "$(keyboard_nodes | wc -l)" -eq 0 ]; }
node_of() { keyboard_nodes | awk -v i="$1" '$1 == i { print $2 }'; }

# Starts the keyboard with its memory in MEMORY (and faults, if given); waits until the
# kernel has made its four hidraw nodes.
start_keyboard() {
    local memory=$1 faults=${2:-}
    rm -f "$work/keyboard.in" "$work/keyboard.out"
    mkfifo "$work/keyboard.in"
    "$device" --memory "$memory" ${faults:+--faults "$faults"} \
        <"$work/keyboard.in" >"$work/keyboard.out" 2>&1 &
    keyboard_pid=$!
    exec {keyboard_in}>"$work/keyboard.in"
    wait_for 60 all_nodes_there || { cat "$work/keyboard.out"; fail "the keyboard's nodes"; }
}
tell_keyboard() { echo "$*" >&"$keyboard_in"; }
stop_keyboard() {
    tell_keyboard quit
    exec {keyboard_in}>&-
    wait "$keyboard_pid" || fail "the keyboard program ended with $?"
    wait_for 30 no_nodes_there || fail "the nodes went with the keyboard"
}

times_aside() { sed 's/^[0-9]* //' "$1"; }

# Runs tq260ctl ARGS on the gadget and on the in-process virtual keyboard, each in its own
# data folder; says how they differ.
real_home="$work/real"
virtual_home="$work/virtual"
mkdir -p "$real_home" "$virtual_home"
on_both() {
    local name=$1
    shift
    # As the normal user when REAL_USER is set: the trace is kept where that user may write.
    local runner=() home="$real_home"
    if [ -n "${REAL_USER:-}" ]; then
        runner=(runuser -u "$user" --)
        home="$work/user"
    fi
    local real="$home/$name.real.trace" virtual="$work/$name.virtual.trace"
    rm -f "$real" "$virtual"
    real_status=0
    "${runner[@]}" env HOME="$home" XDG_DATA_HOME="$home/data" \
        "$ctl" --hid-trace "$real" "$@" >"$work/$name.real.out" 2>&1 || real_status=$?
    virtual_status=0
    HOME="$virtual_home" XDG_DATA_HOME="$virtual_home/data" \
        "$ctl" --virtual-keyboard --hid-trace "$virtual" "$@" \
        >"$work/$name.virtual.out" 2>&1 || virtual_status=$?
    touch "$real" "$virtual"
    if [ "$real_status" != "$virtual_status" ]; then
        fail "$name: exit $real_status on the gadget, $virtual_status on the virtual keyboard"
        cat "$work/$name.real.out"
    elif ! diff <(times_aside "$virtual") <(times_aside "$real") >"$work/$name.diff"; then
        fail "$name: the traces differ (< virtual, > gadget)"
        head -20 "$work/$name.diff"
    elif [ ! -s "$real" ]; then
        fail "$name: nothing crossed the wire"
    else
        pass "$name: $(wc -l <"$real") reports, as on the virtual keyboard"
    fi
}
same_memory() {
    if cmp -s "$work/usb-memory.bin" "$virtual_home/data/TQ260/VirtualKeyboard.bin"; then
        pass "$1: the two memories are the same"
    else
        fail "$1: the memories differ"
    fi
}

part_tool() {
    start_keyboard "$work/usb-memory.bin"
    echo "keyboard nodes: $(keyboard_nodes | tr '\n' ' ')"
    on_both list list
    grep -q "command channel: $(node_of 3)\$" "$work/list.real.out" &&
        grep -q "event channel:   $(node_of 1)\$" "$work/list.real.out" ||
        fail "list: not interface 3 and interface 1: $(cat "$work/list.real.out")"
    on_both dump dump
    cmp -s "$work/dump.real.out" "$work/dump.virtual.out" || fail "dump: the JSON differs"
    same_memory dump
    on_both set-key set key Caps=LCtrl
    same_memory set-key
    on_both set-lighting set lighting --effect Wave --brightness 30 --speed 7
    same_memory set-lighting
    # Every kind of block changed: both key blocks' keys, a macro, a light pattern.
    python3 - "$work/dump.real.out" "$work/changed.json" <<'PYTHON'
import json, sys
config = json.load(open(sys.argv[1]))
config.update(gameMode=False, responseTimeMs=4, reportRateHz=500)
config["lighting"]["effect"] = "DIY2"
config["keys"].update({"F1": {"macro": 2}, "A": {"key": "B"}, "Esc": "disabled"})
config["macros"][1].update(loops=2, events=[
    {"key": "H", "action": "down", "delayMs": 0}, {"key": "H", "action": "up", "delayMs": 30}])
config["diyPatterns"][1] = ["W", "A", "S", "D"]
json.dump(config, open(sys.argv[2], "w"))
PYTHON
    on_both apply apply "$work/changed.json"
    same_memory apply
    on_both reset reset --factory --yes
    same_memory reset
    stop_keyboard
}

# udev with the package's rules, and a user logged in on seat 0 as logind would record them,
# so that the rules' uaccess tag grants that user the nodes it names.
user=tq260-test
start_udev() {
    mkdir -p /run/udev/rules.d /run/systemd/seats
    cp "$repo/packaging/udev/70-tq260.rules" /run/udev/rules.d/
    printf 'ACTIVE=c1\nACTIVE_UID=%s\n' "$(id -u "$user")" >/run/systemd/seats/seat0
    /lib/systemd/systemd-udevd --daemon
    udevadm control --reload
}
as_user() { runuser -u "$user" -- env HOME="$work/user" XDG_DATA_HOME="$work/user/data" "$@"; }
can_open() { as_user python3 -c 'import os, sys; os.close(os.open(sys.argv[1], os.O_RDWR))' "$1"; }

part_udev() {
    start_udev
    mkdir -p "$work/user" && chown "$user" "$work/user"
    start_keyboard "$work/usb-memory.bin"
    udevadm settle --timeout=60
    local row interface expected node
    # Interface 3 only, as the package installs it; then interface 1 too, as
    # "tq260-lighting-keys on" adds it. Typed keys (interface 0) never.
    for row in "3:yes 1:no 0:no 2:no" "3:yes 1:yes 0:no 2:no"; do
        for interface in $row; do
            expected=${interface#*:}
            node="$(node_of "${interface%:*}")"
            if can_open "$node"; then got=yes; else got=no; fi
            [ "$got" = "$expected" ] || fail "udev: interface ${interface%:*} ($node) opens: $got"
        done
        cp "$repo/packaging/udev/72-tq260-lighting-keys.rules" /run/udev/rules.d/
        udevadm control --reload
        udevadm trigger --action=change --subsystem-match=hidraw
        udevadm settle --timeout=60
    done
    pass "udev: the user opens interface 3, then 1 when asked, never 0"
    rm /run/udev/rules.d/72-tq260-lighting-keys.rules
    udevadm control --reload
    udevadm trigger --action=change --subsystem-match=hidraw
    udevadm settle --timeout=60
    as_user "$ctl" doctor >"$work/doctor.out" 2>&1 || true
    cat "$work/doctor.out"
    for interface in 0 1 2 3; do
        grep -q "$(node_of "$interface")" "$work/doctor.out" ||
            fail "doctor: does not name $(node_of "$interface")"
    done
    # The user's own tool on the real path: the same trace as on the virtual keyboard.
    REAL_USER=1 on_both user-dump dump
    stop_keyboard
}

udev_started=""
ensure_udev() { [ -n "$udev_started" ] || { start_udev && udev_started=1; }; }

# The tool through the bus, or alone; never longer than two minutes.
tool() {
    timeout 120 env HOME="$tool_home" XDG_DATA_HOME="$tool_home/data" "$ctl" \
        ${tool_virtual:+--virtual-keyboard} "$@"
}
tool_virtual=""
tool_home="$work/tool"
mkdir -p "$tool_home"
program="$build/application/TQ260 104vez VANTOR"
# Starts the program hidden, tracing to NAME.trace, in its own data folder HOME; waits until
# it answers for the keyboard on the bus.
start_program() {
    local name=$1 home=$2
    shift 2
    mkdir -p "$home/run"
    chmod 700 "$home/run"
    # The keyboard's arrival handled by udev first, as it is long before a person starts
    # the program.
    udevadm settle --timeout=60
    QT_QPA_PLATFORM=offscreen HOME="$home" XDG_DATA_HOME="$home/data" XDG_RUNTIME_DIR="$home/run" \
        "$program" --hidden --no-splash --hid-trace "$work/$name.trace" "$@" \
        >"$work/$name.out" 2>&1 &
    program_pid=$!
    tool_home="$home"
    # On the bus first: the tool would otherwise take the keyboard itself.
    wait_for 120 bus_has_program || fail "$name: the program is not on the bus"
    # Then its start-up read done (36 block reports), before the tool asks anything: a tool
    # that came first would hold the keyboard itself.
    [ -n "${PROGRAM_NO_WAIT:-}" ] || wait_for 120 read_blocks "$work/$name.trace" 36 ||
        fail "$name: the program never read the keyboard"
}
stop_program() {
    kill "$program_pid"
    wait "$program_pid" || true
}
read_blocks() { [ "$(grep -c " cmd read " "$1")" -ge "$2" ]; }
bus_has_program() {
    dbus-send --session --print-reply --dest=org.freedesktop.DBus / \
        org.freedesktop.DBus.NameHasOwner string:org.tq260.Vantor | grep -q true
}
# What the program does on a keyboard: read at start, Save (an apply through the bus), a
# profile saved and used again through the bus.
program_session() {
    tool apply "$work/changed.json" >/dev/null || fail "$1: apply through the bus"
    tool profile save Changed >/dev/null || fail "$1: profile save"
    tool apply "$work/dump.real.out" >/dev/null || fail "$1: apply the first dump"
    tool profile use Changed --discard >/dev/null || fail "$1: profile use"
    # The window holds the keyboard: the tool alone is refused.
    local status=0
    tool --direct dump >/dev/null 2>&1 || status=$?
    [ "$status" = 5 ] || fail "$1: --direct while the program runs ended with $status, not 5"
}

part_program() {
    ensure_udev
    export DBUS_SESSION_BUS_ADDRESS
    DBUS_SESSION_BUS_ADDRESS="$(dbus-daemon --session --fork --print-address)"
    cp "$work/usb-memory.bin" "$work/program-start.bin"
    start_keyboard "$work/usb-memory.bin"
    start_program program.real "$work/program-real"
    program_session program.real
    stop_program
    stop_keyboard

    # The same on the in-process virtual keyboard, from the same memory.
    mkdir -p "$work/program-virtual/data/TQ260"
    cp "$work/program-start.bin" "$work/program-virtual/data/TQ260/VirtualKeyboard.bin"
    tool_virtual=1
    start_program program.virtual "$work/program-virtual" --virtual-keyboard
    program_session program.virtual
    stop_program
    tool_virtual=""
    if diff <(times_aside "$work/program.virtual.trace") <(times_aside "$work/program.real.trace") \
        >"$work/program.diff"; then
        pass "program: $(wc -l <"$work/program.real.trace") reports, as on the virtual keyboard"
    else
        fail "program: the traces differ (< virtual, > gadget)"
        head -20 "$work/program.diff"
    fi
    cmp -s "$work/usb-memory.bin" "$work/program-virtual/data/TQ260/VirtualKeyboard.bin" ||
        fail "program: the memories differ"
}

# Unplugged (the gadget unbound) while idle, during the program's start-up read, during its
# Save, during the tool's apply: told, nothing damaged, no hang.
part_plug() {
    ensure_udev
    export DBUS_SESSION_BUS_ADDRESS
    [ -n "${DBUS_SESSION_BUS_ADDRESS:-}" ] ||
        DBUS_SESSION_BUS_ADDRESS="$(dbus-daemon --session --fork --print-address)"
    local status

    # Idle: the program is told through udev, and reads the keyboard again on its return.
    start_keyboard "$work/usb-memory.bin"
    start_program plug-idle "$work/program-plug"
    tell_keyboard unplug
    wait_for 30 no_nodes_there || fail "plug: the nodes stayed after the unplug"
    status=0
    tool dump --output /dev/null 2>/dev/null || status=$?
    [ "$status" = 1 ] || fail "plug: the program answered $status for an unplugged keyboard, not 1"
    tell_keyboard plug
    wait_for 60 read_blocks "$work/plug-idle.trace" 72 || fail "plug: not read again after the plug"
    tool dump --output /dev/null || fail "plug: the program does not answer after the plug"
    stop_program
    stop_keyboard
    pass "plug: idle, told and read again"

    # During the start-up read (after 10 block reports).
    local when before
    for when in start-up:10; do
        cp "$work/usb-memory.bin" "$work/before.bin"
        start_keyboard "$work/usb-memory.bin" "unplug-after=${when#*:}"
        if [ "${when%:*}" = start-up ]; then
            PROGRAM_NO_WAIT=1 start_program "plug-${when%:*}" "$work/program-plug"
            wait_for 60 no_nodes_there || fail "plug: the keyboard did not unplug itself"
            cmp -s "$work/before.bin" "$work/usb-memory.bin" || fail "plug: the read changed the memory"
            before="$(grep -c " cmd read " "$work/plug-start-up.trace" || true)"
            tell_keyboard plug
            wait_for 120 read_blocks "$work/plug-start-up.trace" $((before + 36)) ||
                fail "plug: no read after the start-up's unplug"
        else
            start_program "plug-${when%:*}" "$work/program-plug"
            status=0
            tool apply "$work/changed.json" >/dev/null 2>&1 || status=$?
            [ "$status" != 0 ] && [ "$status" != 124 ] ||
                fail "plug: a Save cut off by the unplug ended with $status"
            wait_for 60 no_nodes_there
            tell_keyboard plug
            wait_for 60 read_blocks "$work/plug-save.trace" 72 || fail "plug: no read after the Save's unplug"
        fi
        stop_program
        stop_keyboard
        pass "plug: unplugged during the ${when%:*}, told, read again"
    done

    # During the tool's own apply: it ends with an error, in time; the memory holds whole
    # blocks only, and the keyboard reads again once plugged.
    # Cut off in the middle of the reading that comes before any write.
    start_keyboard "$work/usb-memory.bin" "unplug-after=20"
    tool_home="$work/tool"
    status=0
    tool --direct apply "$work/changed.json" >"$work/tool-apply.out" 2>&1 || status=$?
    [ "$status" = 3 ] || fail "plug: the tool's apply cut off ended with $status, not 3"
    tell_keyboard plug
    wait_for 60 all_nodes_there || fail "plug: the nodes did not come back"
    tool --direct dump --output /dev/null || fail "plug: the tool cannot read after the plug"
    stop_keyboard
    pass "plug: the tool's apply cut off ends with 3"
}

for part in "${parts[@]}"; do
    echo "== $part"
    "part_$part"
done
echo "$failures failed"
[ "$failures" -eq 0 ]
