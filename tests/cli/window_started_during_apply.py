#!/usr/bin/env python3
"""The program started while tq260ctl writes to the virtual keyboard leaves what the tool
wrote: it reads its data files only once it holds the keyboard, and its read keeps a key the
tool assigned as a combination.

Usage: window_started_during_apply.py PROGRAM TQ260CTL
"""

import json
import subprocess
import sys
import tempfile
import time
from pathlib import Path

from program_copies import private_copies, running_on_virtual_keyboard

IN_USE = 5


def wait_for(condition, seconds):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        if condition():
            return True
        time.sleep(0.05)
    return False


def main():
    program, tool = Path(sys.argv[1]), Path(sys.argv[2])
    with tempfile.TemporaryDirectory() as folder:
        own_program, own_tool = private_copies(program, tool, folder)
        keymap = Path(folder) / "keymap.bin"
        wanted = Path(folder) / "B.json"
        wanted.write_text(json.dumps({
            "format": 1,
            "lighting": {"brightness": 7},
            "keys": {"F4": {"combination": ["LCtrl", "LAlt", "K"]}, "F6": {"key": "B"}},
        }))
        applying = subprocess.Popen([str(own_tool), "--virtual-keyboard", "apply", str(wanted)],
                                    stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
        wait_for(lambda: (Path(folder) / "VirtualKeyboard.lock").exists(), 5)
        with running_on_virtual_keyboard(own_program) as running:
            _, err = applying.communicate(timeout=60)
            if applying.returncode != 0:
                print("FAIL: the tool did not write:", applying.returncode, err)
                return 1
            written = keymap.stat().st_mtime_ns
            # The program takes the keyboard once the tool let it go, reads it and saves.
            held = wait_for(lambda: subprocess.run(
                [str(own_tool), "--virtual-keyboard", "--direct", "list"], capture_output=True,
                timeout=60).returncode == IN_USE, 30)
            saved = wait_for(lambda: keymap.stat().st_mtime_ns != written, 30)
            if running.poll() is not None or not held or not saved:
                print("FAIL: the program did not take the keyboard and save:",
                      running.poll(), held, saved)
                return 1
        dump = subprocess.run([str(own_tool), "--virtual-keyboard", "dump"],
                              capture_output=True, text=True, timeout=60)
        if dump.returncode != 0:
            print("FAIL: dump:", dump.stderr)
            return 1
        dumped = json.loads(dump.stdout)
        keys = dumped.get("keys", {})
        if (keys.get("F4") != {"combination": ["LCtrl", "LAlt", "K"]} or keys.get("F6") != {"key": "B"}
                or dumped["lighting"]["brightness"] != 7):
            print("FAIL: what the tool wrote was undone:", keys.get("F4"), keys.get("F6"),
                  dumped["lighting"])
            return 1
    print("the program started during an apply keeps what the tool wrote")
    return 0


if __name__ == "__main__":
    sys.exit(main())
