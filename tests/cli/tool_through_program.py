#!/usr/bin/env python3
"""While the program runs on the virtual keyboard, tq260ctl goes through it on the session
bus: list, dump, apply (a fault named at its JSON pointer), set key and profile use work with
the tool's own output and exit codes (list and a refused key byte for byte as without the
program), a dump applies back, a use that would drop what no profile holds is refused until
--keep, a rename made meanwhile is the program's too, the active profile is the program's
even where its file cannot take it, the keyboard's memory holds the changes
afterwards, and --direct or another bus (another user's) are refused with 5. Run inside
dbus-run-session.

Usage: tool_through_program.py PROGRAM TQ260CTL
"""

import json
import os
import subprocess
import sys
import tempfile
import time
from pathlib import Path

from program_copies import private_copies, running_on_virtual_keyboard

USAGE, IN_USE, BAD_FILE = 2, 5, 7


def main():
    program, tool = Path(sys.argv[1]), Path(sys.argv[2])
    failures = []

    def check(what, ok, detail=""):
        if not ok:
            failures.append(f"{what}: {detail}")

    with tempfile.TemporaryDirectory() as folder:
        own_program, own_tool = private_copies(program, tool, folder)

        def run(*arguments, env=None):
            return subprocess.run([str(own_tool), "--virtual-keyboard", *arguments],
                                  capture_output=True, text=True, timeout=120, env=env,
                                  cwd=folder)

        (Path(folder) / "good.json").write_text(json.dumps(
            {"format": 1, "lighting": {"brightness": 7}, "keys": {"Caps": {"key": "LCtrl"}}}))
        (Path(folder) / "bad.json").write_text('{"format": 1, "keys": {"Caps": {"key": "Nope"}}}')
        # A Wave whose direction was never chosen.
        (Path(folder) / "wave.json").write_text(json.dumps(
            {"format": 1, "lighting": {"effect": "Wave", "direction": 0}}))
        alone = {"list": run("list"), "Fn": run("set", "key", "Fn=disabled")}
        check("list without the program", alone["list"].returncode == 0, alone["list"].stderr)
        check("Fn is refused", alone["Fn"].returncode == USAGE and
              "cannot be disabled" in alone["Fn"].stderr, alone["Fn"].stderr)
        with running_on_virtual_keyboard(own_program) as running:
            deadline = time.monotonic() + 60
            # Asked the moment the program holds the keyboard, while it may still be reading
            # it: the call waits for the read rather than fail.
            while time.monotonic() < deadline and running.poll() is None:
                if run("--direct", "dump").returncode == IN_USE:
                    break
                time.sleep(0.05)
            dumped = run("dump")
            check("the program is running", running.poll() is None, running.poll())
            check("dump through the program", dumped and dumped.returncode == 0
                  and json.loads(dumped.stdout)["format"] == 1, dumped and dumped.stderr)

            for what, through in (("list", run("list")),
                                  ("Fn", run("set", "key", "Fn=disabled"))):
                check(what + " says the same through the program",
                      (through.returncode, through.stdout, through.stderr) ==
                      (alone[what].returncode, alone[what].stdout, alone[what].stderr),
                      (through.returncode, through.stdout, through.stderr))
            wave = run("apply", "wave.json")
            (Path(folder) / "wave-dump.json").write_text(run("dump").stdout)
            back = run("apply", "wave-dump.json")
            check("a dump with direction 0 applies back", wave.returncode == 0 and
                  back.returncode == 0 and back.stdout == "Nothing to change.\n",
                  (wave.stderr, back.stdout, back.stderr))

            bad = run("apply", "bad.json")
            check("a fault at its pointer", bad.returncode == BAD_FILE
                  and "/keys/Caps/key" in bad.stderr, (bad.returncode, bad.stderr))
            # The program checks what reaches it by itself too.
            sent = subprocess.run(
                ["dbus-send", "--session", "--print-reply", "--dest=org.tq260.Vantor",
                 "/org/tq260/Vantor", "org.tq260.Vantor1.Apply",
                 "string:" + (Path(folder) / "bad.json").read_text(), "boolean:false"],
                capture_output=True, text=True, timeout=60)
            check("Apply refuses it", sent.returncode != 0 and
                  "org.tq260.Vantor1.Error.InvalidJson" in sent.stderr and
                  "/keys/Caps/key" in sent.stderr, sent.stderr)

            dry = run("apply", "--dry-run", "good.json")
            check("a dry run", dry.returncode == 0 and
                  dry.stdout.endswith("Dry run: no change was written.\n"), dry.stdout)
            good = run("apply", "good.json")
            check("apply", good.returncode == 0 and good.stdout.endswith("Written.\n") and
                  "/lighting/brightness: " in good.stdout, (good.stdout, good.stderr))
            key = run("set", "key", "F1=macro:2")
            check("set key", key.returncode == 0 and "/keys/F1" in key.stdout, key.stderr)
            saved = run("profile", "save", "游戏")
            used = run("profile", "use", "游戏")
            check("profile save and use", saved.returncode == 0 and used.returncode == 0 and
                  'profile "游戏"' in used.stdout, (saved.stderr, used.stderr))
            run("set", "lighting", "--speed", "2")
            unkept = run("profile", "use", "游戏")
            check("what no profile holds is not dropped", unkept.returncode == IN_USE and
                  "not saved in any profile" in unkept.stderr, (unkept.returncode, unkept.stderr))
            kept = run("profile", "use", "游戏", "--keep")
            check("--keep keeps it in the active profile", kept.returncode == 0 and
                  kept.stdout.startswith('The keyboard\'s configuration is kept in the profile '
                                         '"游戏".\n'), (kept.stdout, kept.stderr))
            renamed = run("profile", "rename", "游戏", "Arena")
            active = subprocess.run(
                ["dbus-send", "--session", "--print-reply", "--dest=org.tq260.Vantor",
                 "/org/tq260/Vantor", "org.freedesktop.DBus.Properties.Get",
                 "string:org.tq260.Vantor1", "string:ActiveProfile"],
                capture_output=True, text=True, timeout=60)
            check("a rename while the program runs", renamed.returncode == 0 and
                  '"Arena"' in active.stdout, (renamed.stderr, active.stdout))
            # A pipe where the active profile is remembered takes nothing: the program still
            # knows what it gave the keyboard, and the tool's list asks it.
            run("profile", "save", "Desk")
            memory = Path(folder) / "active-profile.txt"
            memory.unlink()
            os.mkfifo(memory)
            used = run("profile", "use", "Arena")
            listed = run("profile", "list")
            check("the active profile where its file cannot take it", used.returncode == 0 and
                  listed.stdout.startswith("* Arena\n") and memory.is_fifo(),
                  (used.stderr, listed.stdout))
            memory.unlink()
            missing = run("profile", "use", "Nothing")
            check("a missing profile", missing.returncode == BAD_FILE and
                  "no profile named" in missing.stderr, missing.stderr)

            direct = run("--direct", "set", "key", "F2=disabled")
            check("--direct is refused", direct.returncode == IN_USE and
                  "in use by another program" in direct.stderr, direct.stderr)
            # Another user's programs are on another bus: the keyboard stays refused there.
            other = subprocess.run(["dbus-daemon", "--session", "--fork", "--print-address=1",
                                    "--print-pid=1"], capture_output=True, text=True, timeout=30)
            address, pid = other.stdout.split()[:2]
            try:
                elsewhere = run("dump", env=dict(os.environ, DBUS_SESSION_BUS_ADDRESS=address))
            finally:
                os.kill(int(pid), 15)
            check("another bus does not reach it", elsewhere.returncode == IN_USE,
                  elsewhere.stderr)

        after = run("dump")
        check("the keyboard kept the changes", after.returncode == 0, after.stderr)
        if after.returncode == 0:
            config = json.loads(after.stdout)
            check("lighting kept", config["lighting"]["brightness"] == 7 and
                  config["lighting"]["speed"] == 2, config["lighting"])
            check("keys kept", config["keys"]["Caps"] == {"key": "LCtrl"} and
                  config["keys"]["F1"] == {"macro": 2} and config["keys"]["F2"] == "default",
                  [config["keys"][k] for k in ("Caps", "F1", "F2")])
    for failure in failures:
        print("FAIL:", failure)
    if not failures:
        print("the tool goes through the running program on the session bus")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
