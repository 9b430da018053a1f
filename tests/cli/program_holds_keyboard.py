#!/usr/bin/env python3
"""While the program runs on the virtual keyboard it holds it, as it holds a real one while
connected: tq260ctl --direct is refused (exit 5) rather than interleave with it, a profile included,
and is let in once the program has ended.

Usage: program_holds_keyboard.py PROGRAM TQ260CTL
"""

import subprocess
import sys
import tempfile
import time
from pathlib import Path

from program_copies import private_copies, running_on_virtual_keyboard

IN_USE = 5
CANNOT_WRITE = 4


def main():
    program, tool = Path(sys.argv[1]), Path(sys.argv[2])
    with tempfile.TemporaryDirectory() as folder:
        own_program, own_tool = private_copies(program, tool, folder)
        with running_on_virtual_keyboard(own_program) as running:
            refused = None
            deadline = time.monotonic() + 30
            # The program has opened its keyboard once its data files are there.
            while time.monotonic() < deadline and not (Path(folder) / "keymap.bin").exists():
                time.sleep(0.05)
            while time.monotonic() < deadline and running.poll() is None:
                refused = subprocess.run([str(own_tool), "--virtual-keyboard", "--direct", "dump"],
                                         capture_output=True, text=True, timeout=60)
                if refused.returncode == IN_USE:
                    break
                time.sleep(0.1)
            if running.poll() is not None:
                print("FAIL: the program ended early (is another copy running?):",
                      running.returncode)
                return 1
            if refused is None or refused.returncode != IN_USE:
                print("FAIL: the tool was not refused while the program ran:",
                      refused and (refused.returncode, refused.stderr))
                return 1
            if "in use by another program" not in refused.stderr:
                print("FAIL: the refusal does not say why:", refused.stderr)
                return 1
            # A profile is given to the keyboard only by whoever holds it; listing needs none.
            saved = subprocess.run([str(own_tool), "--virtual-keyboard", "--direct", "profile", "save", "游戏"],
                                   capture_output=True, text=True, timeout=60)
            listed = subprocess.run([str(own_tool), "--virtual-keyboard", "profile", "list"],
                                    capture_output=True, text=True, timeout=60)
            if saved.returncode != IN_USE or listed.returncode != 0:
                print("FAIL: profile save / list while the program ran:", saved.returncode,
                      saved.stderr, listed.returncode, listed.stderr)
                return 1
        after = subprocess.run([str(own_tool), "--virtual-keyboard", "dump"],
                               capture_output=True, text=True, timeout=60)
        if after.returncode != 0:
            print("FAIL: the tool was not let in after the program ended:", after.stderr)
            return 1
        # Where no lock file can be made, nothing keeps another program off the keyboard: the
        # tool refuses it (4) rather than use it unheld.
        lock = Path(folder) / "VirtualKeyboard.lock"
        lock.unlink()
        lock.mkdir()
        unheld = subprocess.run([str(own_tool), "--virtual-keyboard", "dump"],
                                capture_output=True, text=True, timeout=60)
        if unheld.returncode != CANNOT_WRITE or "lock file" not in unheld.stderr:
            print("FAIL: the tool used the keyboard without its lock file:", unheld.returncode,
                  unheld.stderr)
            return 1
    print("the program holds the virtual keyboard while it runs")
    return 0


if __name__ == "__main__":
    sys.exit(main())
