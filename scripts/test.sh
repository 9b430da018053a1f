#!/usr/bin/env bash
# Builds and runs every test twice: everything with AddressSanitizer and
# UndefinedBehaviorSanitizer, then the core (no Qt) with ThreadSanitizer. Warnings are
# errors in both.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
# The desktops the front-application tests run on, the tools that check the desktop
# scripts the package ships, and the accessibility bus the screen-reader test walks.
scripts/install-deps.sh xvfb openbox xdotool x11-apps sway foot nodejs gjs at-spi2-core python3-pyatspi
jobs="$(nproc)"

# The benchmarks are built too (not run: scripts/bench.sh runs them), so that one that no
# longer builds is found here.
cmake -S . -B build/test -G Ninja -DCMAKE_BUILD_TYPE=Debug \
    -DTQ260_SANITIZE=ON -DTQ260_WERROR=ON -DTQ260_BENCH=ON >/dev/null
cmake --build build/test
ASAN_OPTIONS="detect_leaks=1:abort_on_error=1" \
UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1" \
QT_QPA_PLATFORM=offscreen \
    ctest --test-dir build/test --output-on-failure -j "$jobs"

# Root writes into read-only folders, so the permission cases prove nothing as root: they
# run again as a normal user, from a copy of the tests that user can reach.
if [ "$(id -u)" = 0 ]; then
    id tq260-test >/dev/null 2>&1 ||
        useradd --system --no-create-home --shell /usr/sbin/nologin tq260-test
    copy="$(mktemp -d)"
    cp build/test/tests/tq260_core_tests build/test/tests/tq260_ui_tests "$copy/"
    chmod -R a+rx "$copy"
    runuser -u tq260-test -- "$copy/tq260_core_tests" --gtest_filter='*AsANormalUser*'
    runuser -u tq260-test -- env QT_QPA_PLATFORM=offscreen HOME="$copy" XDG_RUNTIME_DIR="$copy" \
        "$copy/tq260_ui_tests" --gtest_filter='*AsANormalUser*'
    # The program installed read-only keeps its data in the user's own folder.
    cp -r build/test/application "$copy/program"
    chmod -R a+rX,a-w "$copy/program"
    mkdir -p "$copy/home"
    chown tq260-test "$copy/home"
    runuser -u tq260-test -- env QT_QPA_PLATFORM=offscreen HOME="$copy/home" \
        XDG_RUNTIME_DIR="$copy/home" XDG_DATA_HOME="$copy/home/data" \
        "$copy/program/TQ260 104vez VANTOR" --virtual-keyboard --no-splash --startup-report \
        >/dev/null 2>&1
    test -f "$copy/home/data/TQ260/keymap.bin" -a -f "$copy/home/data/TQ260/MacroDefine.bin" ||
        { echo "a read-only install did not keep its data in the user's folder"; exit 1; }
    echo "a read-only install keeps its data in the user's folder: ok"
    # Another user who makes the program's folder under /tmp first (a folder, or a link to one
    # of its own) neither stops the program nor gets anything from it.
    id tq260-attacker >/dev/null 2>&1 ||
        useradd --system --no-create-home --shell /usr/sbin/nologin tq260-attacker
    taken="/tmp/tq260-$(id -u tq260-test)"
    program=(runuser -u tq260-test -- env -u XDG_RUNTIME_DIR -u XDG_CACHE_HOME
        QT_QPA_PLATFORM=offscreen HOME="$copy/home" XDG_DATA_HOME="$copy/home/data"
        "$copy/program/TQ260 104vez VANTOR")
    for how in folder link; do
        rm -rf "$taken" "$copy/bait"
        bait="$taken"
        [ "$how" = folder ] || bait="$copy/bait"
        install -d -m 0777 -o tq260-attacker "$bait"
        [ "$how" = folder ] || runuser -u tq260-attacker -- ln -s "$bait" "$taken"
        said="$("${program[@]}" --launch-key 65 2>&1 || true)"
        said+="$("${program[@]}" --virtual-keyboard --no-splash --startup-report 2>&1 || true)"
        grep -q "does not use $taken" <<<"$said" && grep -q "is not running" <<<"$said" &&
            grep -q "start-up:" <<<"$said" && [ -z "$(ls -A "$bait")" ] &&
            [ "$(stat -c %a "$bait")" = 777 ] ||
            { echo "the program used a $how another user made in its place: $said"; exit 1; }
    done
    rm -rf "$taken" "$copy/bait"
    echo "a folder another user made in the program's place is not used: ok"
    # Another user who read-locks the virtual keyboard's lock file, opened while an earlier
    # version left it and its folder open to others, blocks nothing: the file is replaced by
    # a new private one, and the old one they hold is no one's lock.
    data="$copy/home/data/TQ260"
    lock="$data/VirtualKeyboard.lock"
    [ "$(stat -c %a "$data")" = 700 ] && [ "$(stat -c %a "$lock")" = 600 ] ||
        { echo "the data folder or the lock file is open to other users"; exit 1; }
    chmod 0755 "$copy/home/data" "$data" && chmod 0644 "$lock"
    mkfifo "$copy/release"
    exec {holder}< <(runuser -u tq260-attacker -- python3 -c \
        'import fcntl, sys; f = open(sys.argv[1]); fcntl.lockf(f, fcntl.LOCK_SH);
print("locked", flush=True); sys.stdin.read()' "$lock" <"$copy/release")
    exec {release}>"$copy/release"
    read -r -u "$holder" locked
    old="$(stat -c %i "$lock")"
    said="$(runuser -u tq260-test -- env -u XDG_RUNTIME_DIR HOME="$copy/home" \
        XDG_DATA_HOME="$copy/home/data" "$copy/program/tq260ctl" --virtual-keyboard list 2>&1)" &&
        status=0 || status=$?
    exec {release}>&- {holder}<&-
    [ "$locked" = locked ] && [ "$status" = 0 ] && grep -q "firmware:" <<<"$said" &&
        [ "$(stat -c %a "$lock")" = 600 ] && [ "$(stat -c %i "$lock")" != "$old" ] ||
        { echo "another user's old hold on the lock file blocked the keyboard ($status): $said"; exit 1; }
    echo "another user's old hold on the lock file blocks nothing: ok"
    rm -rf "$copy"
fi

cmake -S . -B build/tsan -G Ninja -DCMAKE_BUILD_TYPE=Debug \
    -DTQ260_TSAN=ON -DTQ260_UI=OFF -DTQ260_WERROR=ON >/dev/null
cmake --build build/tsan
TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1" \
    ctest --test-dir build/tsan --output-on-failure -j "$jobs"
