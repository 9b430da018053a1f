#!/usr/bin/env python3
"""The program on the virtual keyboard follows the application in front on a real desktop:
X11 (Xvfb and openbox, focus moved with xdotool) or headless sway (focus moved with swaymsg),
or as the KWin script and the GNOME Shell extension the package ships tell it (each run by a
stand-in for its desktop, calling the program on the real session bus).
Each window's profile reaches the keyboard's memory in turn, a burst of focus changes ends
on the last window's profile and leaves nothing pending. Everything is waited for as a
condition, never for a time: a loaded machine only makes it slower. Run inside
dbus-run-session; 77 (skipped) when the desktop's programs are not installed.

Usage: profiles_follow_front.py x11|sway|kwin|gnome PROGRAM TQ260CTL
"""

import json
import os
import shutil
import subprocess
import sys
import tempfile
from pathlib import Path

from program_copies import private_copies, running_on_virtual_keyboard, wait_for

SKIPPED = 77
HERE = Path(__file__).resolve().parent
SCRIPTS = HERE.parents[1] / "packaging" / "desktop"


class X11:
    needs = ["Xvfb", "openbox", "xdotool", "xprop", "xlogo", "xmessage", "xcalc"]
    names = ("XLogo", "Xmessage", "XCalc")

    def __init__(self, folder):
        self.started = []
        read, write = os.pipe()
        self.started.append(subprocess.Popen(["Xvfb", "-displayfd", str(write), "-nolisten",
                                              "tcp"], pass_fds=[write],
                                             stderr=subprocess.DEVNULL))
        os.close(write)
        with os.fdopen(read) as display:
            number = display.readline().strip()
        for name in ("SWAYSOCK", "I3SOCK", "WAYLAND_DISPLAY"):
            os.environ.pop(name, None)
        os.environ.update(DISPLAY=":" + number, XDG_SESSION_TYPE="x11")
        self.started.append(subprocess.Popen(["openbox"], stderr=subprocess.DEVNULL))
        # Windows are activated through the window manager: it has to be there first.
        wait_for("the window manager", lambda: "window id #" in subprocess.run(
            ["xprop", "-root", "_NET_SUPPORTING_WM_CHECK"], capture_output=True, text=True,
            timeout=60).stdout)
        for client in (["xlogo"], ["xmessage", "front"], ["xcalc"]):
            self.started.append(subprocess.Popen(client, stderr=subprocess.DEVNULL))
        self.windows = {name: self.search(name) for name in self.names}

    def search(self, name):
        found = subprocess.run(["xdotool", "search", "--sync", "--class", name],
                               capture_output=True, text=True, timeout=60)
        return found.stdout.split()[0]

    def focus(self, *names):
        command = ["xdotool"]
        for name in names:
            command += ["windowactivate", "--sync", self.windows[name]]
        subprocess.run(command, check=True, timeout=60, stderr=subprocess.DEVNULL)

    def end(self):
        for process in reversed(self.started):
            process.terminate()
            process.wait(timeout=30)


class Sway:
    needs = ["sway", "swaymsg", "foot", "setpriv"]
    names = ("one", "two", "three")

    def __init__(self, folder):
        runtime = Path(folder) / "runtime"
        runtime.mkdir(mode=0o700)
        (runtime / "config").write_text("output HEADLESS-1 resolution 800x600\n")
        environment = dict(os.environ, XDG_RUNTIME_DIR=str(runtime), HOME=str(runtime),
                           WLR_BACKENDS="headless", WLR_LIBINPUT_NO_DEVICES="1",
                           WLR_RENDERER="pixman")
        environment.pop("DISPLAY", None)
        command = ["sway", "-c", str(runtime / "config")]
        if os.getuid() == 0:
            # sway refuses to run as root; the program and the clients may.
            shutil.chown(runtime, "nobody")
            command = ["setpriv", "--reuid=nobody", "--regid=nogroup", "--clear-groups",
                       *command]
        self.started = [subprocess.Popen(command, env=environment, stderr=subprocess.DEVNULL)]
        sock = wait_for("sway's socket", lambda: next(runtime.glob("sway-ipc.*.sock"), None))
        wait_for("sway's display", lambda: (runtime / "wayland-1").exists())
        os.environ.pop("DISPLAY", None)
        os.environ.update(XDG_RUNTIME_DIR=str(runtime), WAYLAND_DISPLAY="wayland-1",
                          SWAYSOCK=str(sock), XDG_SESSION_TYPE="wayland")
        for name in self.names:
            self.started.append(subprocess.Popen(["foot", "--app-id", name],
                                                 stderr=subprocess.DEVNULL))
        wait_for("the windows", lambda: all(
            f'"app_id": "{name}"' in self.swaymsg("-t", "get_tree") for name in self.names))

    @staticmethod
    def swaymsg(*arguments):
        return subprocess.run(["swaymsg", *arguments], capture_output=True, text=True,
                              timeout=60).stdout

    def focus(self, *names):
        self.swaymsg("; ".join(f'[app_id="{name}"] focus' for name in names))

    def end(self):
        for process in reversed(self.started):
            process.terminate()
            process.wait(timeout=30)


class Scripted:
    """A desktop whose own script tells the program; nothing for the program to watch."""
    names = ("firefox", "steam", "thunderbird")

    def __init__(self, folder):
        for name in ("DISPLAY", "SWAYSOCK", "I3SOCK"):
            os.environ.pop(name, None)
        os.environ.update(XDG_SESSION_TYPE="wayland", XDG_CURRENT_DESKTOP=self.desktop,
                          WAYLAND_DISPLAY="wayland-0")

    def focus(self, *names):
        # Before the program runs the calls find no one; what the keyboard holds is checked.
        subprocess.run([*self.run, *names], timeout=60, stderr=subprocess.DEVNULL)

    @staticmethod
    def ready():
        # The scripts call whoever holds the name: the program, once it has it.
        asked = ["dbus-send", "--session", "--print-reply", "--dest=org.freedesktop.DBus",
                 "/org/freedesktop/DBus", "org.freedesktop.DBus.NameHasOwner",
                 "string:org.tq260.Vantor"]
        wait_for("the program on the bus", lambda: "boolean true" in subprocess.run(
            asked, capture_output=True, text=True, timeout=60).stdout)

    def end(self):
        pass


class KWin(Scripted):
    needs = ["node", "dbus-send"]
    desktop = "KDE"
    run = ["node", str(HERE.parent / "desktop" / "kwin_harness.js"),
           str(SCRIPTS / "kwin" / "tq260-front" / "contents" / "code" / "main.js")]


class Gnome(Scripted):
    needs = ["gjs"]
    desktop = "GNOME"
    run = ["gjs", str(HERE.parent / "desktop" / "gnome_harness.js"),
           str(SCRIPTS / "gnome-shell" / "tq260-front@tq260.org")]


class ProfileSignals:
    """The profiles the program's ProfileChanged signals name, in order, from a monitor of the
    session bus that is listening before anything can switch."""

    def __init__(self):
        self.monitor = subprocess.Popen(
            ["dbus-monitor", "--session",
             "type='signal',interface='org.tq260.Vantor1',member='ProfileChanged'"],
            stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        os.set_blocking(self.monitor.stdout.fileno(), False)
        self.rest = b""
        self.lines = []
        # The bus takes the monitor's own name away once it is a monitor.
        wait_for("the signal monitor", lambda: any(b"member=NameLost" in line
                                                    for line in self.read()))

    def read(self):
        try:
            self.rest += os.read(self.monitor.stdout.fileno(), 1 << 16)
        except BlockingIOError:
            pass
        *complete, self.rest = self.rest.split(b"\n")
        self.lines += complete
        return self.lines

    def names(self):
        lines = self.read()
        # Each signal's line is followed by the line of its string.
        return [lines[i + 1].split(b'"')[1].decode() for i in range(len(lines) - 1)
                if b"member=ProfileChanged" in lines[i]]

    def end(self):
        self.monitor.terminate()
        self.monitor.wait(timeout=30)


def main():
    desktop = {"x11": X11, "sway": Sway, "kwin": KWin, "gnome": Gnome}[sys.argv[1]]
    program, tool = Path(sys.argv[2]), Path(sys.argv[3])
    missing = [name for name in desktop.needs if shutil.which(name) is None]
    if missing:
        print("skipped: not installed:", *missing)
        return SKIPPED

    with tempfile.TemporaryDirectory() as folder:
        os.chmod(folder, 0o755)
        own_program, own_tool = private_copies(program, tool, folder)
        memory = Path(folder) / "VirtualKeyboard.bin"

        def run(*arguments):
            done = subprocess.run([str(own_tool), "--virtual-keyboard", *arguments],
                                  capture_output=True, text=True, timeout=120, cwd=folder)
            assert done.returncode == 0, (arguments, done.stderr)

        # A profile for each application, and the keyboard's memory as each leaves it. The
        # keyboard ends holding the second one's, active, as its application is in front
        # when the program starts.
        first, second, third = desktop.names
        images = {}
        for name, brightness in ((first, None), (third, "2"), (second, "6")):
            if brightness:
                run("set", "lighting", "--brightness", brightness)
            run("profile", "save", name)
            images[name] = memory.read_bytes()
        assert len(set(images.values())) == 3
        (Path(folder) / "profile-rules.json").write_text(json.dumps(
            {"format": 1, "enabled": True,
             "rules": [{"application": name, "profile": name} for name in desktop.names]}))

        session = desktop(folder)
        signals = ProfileSignals()
        try:
            session.focus(second)
            with running_on_virtual_keyboard(own_program) as running:
                def holds(name, since):
                    """The switches since the since-th, once the keyboard holds the profile
                    and the last switch named it."""
                    wait_for(f"the keyboard to hold {name}",
                             lambda: memory.read_bytes() == images[name]
                             and signals.names()[since:][-1:] == [name])
                    return signals.names()[since:]

                assert running.poll() is None
                if hasattr(session, "ready"):
                    session.ready()
                session.focus(first)
                assert holds(first, 0) == [first], signals.names()
                # Alt-Tab through them, ending on the one whose profile only the end can
                # give. A loaded machine may spread the burst past the settle time, so the
                # switches on the way are not counted: it ends on the last one's profile.
                session.focus(second, first, second, third)
                holds(third, 1)
                # Nothing was left pending by the burst: the next change is the one switch
                # after it.
                after = len(signals.names())
                session.focus(first)
                assert holds(first, after) == [first], signals.names()
        finally:
            signals.end()
            session.end()
    print(f"the keyboard followed the application in front ({sys.argv[1]})")
    return 0


if __name__ == "__main__":
    sys.exit(main())
