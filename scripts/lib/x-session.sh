# Shared by the scripts that run the program under Xvfb. The caller names itself in test_name.

fail() {
    echo "$test_name: $*" >&2
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

# Starts Xvfb on display $1, its process id in xvfb, and waits until it answers.
start_xvfb() {
    # No reset when the readiness probe disconnects: a client connecting during the reset fails.
    Xvfb "$1" -screen 0 1280x800x24 -nolisten tcp -noreset >/dev/null 2>&1 &
    xvfb=$!
    DISPLAY="$1" wait_for 10 xdotool getmouselocation >/dev/null 2>&1 || fail "Xvfb did not start"
}

# The first X window whose title matches $1, other than $2; empty when there is none.
window_named() {
    xdotool search --name "$1" 2>/dev/null |
        awk -v other="${2:-}" '/^[0-9]+$/ && $0 != other { print; exit }' || true
}

# The program's main window, into window; the first of that title when a dialog shares it.
find_main_window() {
    window="$(window_named '^TQ260 104vez VANTOR$')"
    [ -n "$window" ]
}

# The read at the start has ended when the HID trace $trace stops growing.
trace_settled() {
    local before
    before=$(stat -c %s "$trace" 2>/dev/null || echo 0)
    sleep 0.5
    [ "$before" -gt 0 ] && [ "$before" = "$(stat -c %s "$trace")" ]
}

click() { xdotool mousemove --window "$window" "$1" "$2" click 1; }

# Clicks Save in the main window; the virtual keyboard's memory file $1 must change. Returns
# once the save has ended.
save_in_main_window() {
    local memory=$1 before
    before="$(md5sum <"$memory")"
    click 950 615 # Save
    memory_changed() { [ "$(md5sum <"$memory")" != "$before" ]; }
    wait_for 20 memory_changed || fail "Save did not reach the virtual keyboard"
    wait_for 30 trace_settled || fail "the save did not end"
}

# Turns Game Mode OFF in the main window and saves into the memory file $1; the HID trace
# $trace must show the command.
save_game_mode_off() {
    click 100 195 # the game mode section
    click 83 225  # OFF
    save_in_main_window "$1"
    grep -q " cmd set 00 02 00 " "$trace" || fail "no Game Mode OFF in the HID trace"
}
