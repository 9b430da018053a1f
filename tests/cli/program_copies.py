"""The program and tq260ctl copied into a folder of their own, so that their data files and
virtual keyboard are private to one test, and the program run there on the virtual keyboard."""

import contextlib
import os
import shutil
import subprocess
import time
from pathlib import Path


def private_copies(program, tool, folder):
    """The copies of the program and the tool in folder, with the program's skins beside."""
    own_program = Path(shutil.copy2(program, folder))
    own_tool = Path(shutil.copy2(tool, folder))
    os.symlink(Path(program).parent / "png", Path(folder) / "png")
    return own_program, own_tool


@contextlib.contextmanager
def running_on_virtual_keyboard(program):
    """The program, started offscreen on the virtual keyboard, ended when the block ends. Its
    runtime folder (the one copy's lock and channel) is beside it, so a copy someone else
    runs on the machine is not the copy it hands its start to."""
    runtime = Path(program).parent / "program-runtime"
    runtime.mkdir(mode=0o700, exist_ok=True)
    environment = dict(os.environ, QT_QPA_PLATFORM="offscreen", XDG_RUNTIME_DIR=str(runtime))
    running = subprocess.Popen([str(program), "--virtual-keyboard", "--no-splash"],
                               env=environment, stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL)
    try:
        yield running
    finally:
        running.terminate()
        running.wait(timeout=30)


def wait_for(what, condition, seconds=60):
    """condition's first true value, asked again until then; fails after seconds."""
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        value = condition()
        if value:
            return value
        time.sleep(0.05)
    raise AssertionError(f"timed out waiting for {what}")
