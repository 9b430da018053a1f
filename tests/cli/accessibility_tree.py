#!/usr/bin/env python3
"""What a screen reader finds in each window, over the real accessibility bus: the program on
the virtual keyboard under Xvfb, on a session bus with Debian's AT-SPI registry, walked with
pyatspi in both interface languages. Every control is found by its name and role, and the
dialogs are opened and closed through the actions a screen reader runs. Run inside
dbus-run-session with Debian's python3 (pyatspi); 77 (skipped) when a part is missing.

Usage: accessibility_tree.py PROGRAM TQ260CTL
"""

import json
import os
import shutil
import subprocess
import sys
import tempfile
import time
from pathlib import Path

from program_copies import private_copies, wait_for

SKIPPED = 77

# (role, name) of what each window must offer, per language.
MAIN_WINDOW = {
    "english": [("push button", "Help"), ("push button", "Hide to the notification area"),
                ("push button", "Close"), ("push button", "Light"),
                ("push button", "Macro Management"), ("push button", "Game Mode"),
                ("push button", "Response Time"), ("push button", "USB Report Rate"),
                ("list", "Keyboard"), ("list item", "A, sends A"),
                ("list item", "Space, sends Space"), ("push button", "Profile"),
                ("push button", "Return"), ("push button", "Cancel"), ("push button", "Save"),
                ("slider", "Brightness"), ("slider", "Speed")],
    "chinese": [("push button", "帮助"), ("push button", "关闭"), ("push button", "灯光"),
                ("push button", "宏管理器"), ("push button", "游戏模式"),
                ("push button", "按键响应时间"), ("list", "键盘"), ("list item", "A，发送 A"),
                ("push button", "配置"), ("push button", "恢复"),
                ("push button", "取消"), ("push button", "保存"), ("slider", "亮度")],
}
KEY_DIALOG = {
    "english": [("push button", "Close"), ("page tab", "Single"), ("page tab", "Basic"),
                ("text", "Key to send"), ("check box", "Disable"), ("push button", "Default"),
                ("push button", "Cancel"), ("push button", "Save")],
    "chinese": [("push button", "关闭"), ("page tab", "单键"), ("page tab", "基本功能"),
                ("text", "发送的按键"), ("check box", "禁用按键"), ("push button", "初始值"),
                ("push button", "取消"), ("push button", "保存")],
}
MACRO_MANAGER = {
    "english": [("list", "Select Macro"), ("list", "Keystroke Sequence"),
                ("push button", "Start Recording"),
                ("check box", "Record Delay between keystrokes"),
                ("check box", "Number of Loops"), ("push button", "New"),
                ("push button", "Delete"), ("push button", "OK"), ("push button", "Cancel")],
    "chinese": [("list", "选择宏"), ("list", "按键系列"), ("push button", "开始录制"),
                ("check box", "记录按键动作间的延迟"), ("check box", "循环次数"),
                ("push button", "新建"), ("push button", "删除"), ("push button", "确定"),
                ("push button", "取消")],
}
PROFILE_DIALOG = {
    "english": [("push button", "Close"), ("list", "Profile"), ("push button", "New"),
                ("push button", "Delete")],
    "chinese": [("push button", "关闭"), ("list", "配置"), ("push button", "新建"),
                ("push button", "删除")],
}
RULES_WINDOW = {
    "english": [("check box", "Switch profiles by the application in front"),
                ("table", "Rules, tried in this order"), ("push button", "Add…"),
                ("push button", "Up"), ("push button", "Down"), ("push button", "Remove"),
                ("combo box", "Gone (missing)"), ("table cell", "Gone (missing)"),
                ("label", "Never applies: there is no profile \"Gone\"."),
                ("check box", "Say when the profile changes"), ("push button", "Close")],
    "chinese": [("check box", "按前台应用程序切换配置"), ("table", "规则（按此顺序匹配）"),
                ("push button", "添加…"), ("push button", "上移"), ("push button", "下移"),
                ("push button", "删除"), ("combo box", "Gone（不存在）"),
                ("table cell", "Gone（不存在）"), ("label", "不会生效：没有名为“Gone”的配置。"),
                ("check box", "切换配置时提示"), ("push button", "关闭")],
}
# The rules the window opens on: one that can never apply (its profile is not there), marked
# in its row, and every other application given that profile too.
RULES_FILE = {"format": 1, "enabled": False, "notice": False,
              "rules": [{"application": "xlogo", "profile": "Gone"}], "otherwise": "Gone"}
RULES_ITEM = {"english": "Use for applications…", "chinese": "用于应用程序…"}
# A combo box is named by its choice; its label reaches the reader as its labelled-by relation.
RULES_COMBO_LABEL = {"english": "Every other application:", "chinese": "其他应用程序："}
# What opens each dialog from the main window and what closes it.
OPENERS = {
    "english": {"key": ("list item", "A, sends A"), "macro": ("push button", "Macro Management"),
                "profile": ("push button", "Profile"), "light": ("push button", "Light")},
    "chinese": {"key": ("list item", "A，发送 A"), "macro": ("push button", "宏管理器"),
                "profile": ("push button", "配置"), "light": ("push button", "灯光")},
}
CLOSERS = {"english": {"key": "Cancel", "macro": "Cancel", "profile": "Close"},
           "chinese": {"key": "取消", "macro": "取消", "profile": "关闭"}}


def controls(pyatspi, accessible):
    """(role, name) -> accessible, for everything under accessible."""
    found = {}
    pending = [accessible]
    while pending:
        current = pending.pop()
        for child in current:
            if child is None:
                continue
            found.setdefault((child.getRoleName(), child.name), child)
            pending.append(child)
    return found


def press(pyatspi, accessible):
    action = accessible.queryAction()
    names = [action.getName(i) for i in range(action.nActions)]
    assert "Press" in names or "Toggle" in names, f"{accessible.name}: actions {names}"
    action.doAction(names.index("Press") if "Press" in names else names.index("Toggle"))


def check_window(what, window, expected, pyatspi, seconds=30):
    """The window's controls once every expected one is there (the keys are named once the
    keyboard has been read); the missing ones and all found when they never come."""
    deadline = time.monotonic() + seconds
    while True:
        found = controls(pyatspi, window)
        missing = [item for item in expected if item not in found]
        if not missing:
            return found
        if time.monotonic() > deadline:
            listing = "\n".join(f"  {role}: {name}" for role, name in sorted(found)[:200])
            raise AssertionError(f"{what}: missing {missing}; found:\n{listing}")
        time.sleep(0.2)


def windows(app):
    return [child for child in app if child is not None]


def open_window(what, app, act):
    """The window act opens: the application's newest, once there is one more."""
    before = len(windows(app))
    act()
    return wait_for(what, lambda: len(windows(app)) > before and windows(app)[-1])


def check_rules_window(language, app, profiles, pyatspi):
    """The rules window opens from the profile list's menu as a screen-reader user opens it:
    the list takes the focus, the Menu key opens the menu, Up reaches its last item, which the
    reader hears through the focus event (menus are not among a program's windows), and the
    item is run through its action."""
    from gi.repository import GLib
    focused = []
    listener = lambda event: event.detail1 and focused.append(event.source)
    pyatspi.Registry.registerEventListener(listener, "object:state-changed:focused")

    def heard(role, name):
        while GLib.MainContext.default().iteration(False):
            pass
        return next((item for item in focused
                     if item.getRoleName() == role and item.name == name), None)
    try:
        profile_list = next(child for (role, _), child in controls(pyatspi, profiles).items()
                            if role == "list")
        profile_list.queryComponent().grabFocus()
        wait_for("the profile list to take the focus",
                 lambda: profile_list.getState().contains(pyatspi.STATE_FOCUSED))
        subprocess.run(["xdotool", "key", "Menu", "Up"], check=True)
        item = wait_for("the menu's last item to be heard",
                        lambda: heard("menu item", RULES_ITEM[language]))
        rules = open_window("the rules window", app, lambda: press(pyatspi, item))
    finally:
        pyatspi.Registry.deregisterEventListener(listener, "object:state-changed:focused")
    inside = check_window("rules window", rules, RULES_WINDOW[language], pyatspi)
    marked = inside[("table cell", "xlogo")]
    mark = next(name for role, name in RULES_WINDOW[language] if role == "label")
    assert marked.description == mark, f"the rule's row says {marked.description!r}"
    combo = inside[next(item for item in RULES_WINDOW[language] if item[0] == "combo box")]
    labels = [relation.getTarget(i).name for relation in combo.getRelationSet()
              if relation.getRelationType() == pyatspi.RELATION_LABELLED_BY
              for i in range(relation.getNTargets())]
    assert labels == [RULES_COMBO_LABEL[language]], f"the combo box is labelled by {labels}"
    press(pyatspi, inside[("push button", CLOSERS[language]["profile"])])
    wait_for("the rules window to close", lambda: not rules.getState().contains(
        pyatspi.STATE_SHOWING))


def run_language(language, program, tool, pyatspi):
    with tempfile.TemporaryDirectory() as folder:
        own_program, _ = private_copies(program, tool, folder)
        config = Path(folder) / "config"
        config.mkdir()
        (config / "TQ260.conf").write_text(f"[General]\nLanguage={language}\n")
        (Path(folder) / "profile-rules.json").write_text(json.dumps(RULES_FILE))
        environment = dict(os.environ, QT_QPA_PLATFORM="xcb",
                           QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", XDG_CONFIG_HOME=str(config))
        running = subprocess.Popen([str(own_program), "--virtual-keyboard", "--no-splash"],
                                   env=environment, stdout=subprocess.DEVNULL,
                                   stderr=subprocess.DEVNULL)
        try:
            def application():
                for app in pyatspi.Registry.getDesktop(0):
                    if app is not None and app.get_process_id() == running.pid:
                        return app
                return None
            app = wait_for("the program on the accessibility bus", application)
            keyboard = next(item for item in MAIN_WINDOW[language] if item[0] == "list")
            main = wait_for("the main window", lambda: next(
                (w for w in windows(app) if keyboard in controls(pyatspi, w)), None))
            print(f"{language}: main window is a {main.getRoleName()} named {main.name!r}")
            found = check_window("main window", main, MAIN_WINDOW[language], pyatspi)
            openers = OPENERS[language]

            # An action a screen reader runs: the lighting section opens.
            light = found[openers["light"]]
            press(pyatspi, light)
            wait_for("the lighting section to open", lambda: light.getState().contains(
                pyatspi.STATE_EXPANDED))

            for dialog, expected in (("key", KEY_DIALOG), ("macro", MACRO_MANAGER),
                                     ("profile", PROFILE_DIALOG)):
                before = len(windows(app))
                window = open_window(f"the {dialog} dialog", app, lambda: press(
                    pyatspi, controls(pyatspi, main)[openers[dialog]]))
                inside = check_window(f"{dialog} dialog", window, expected[language], pyatspi)
                if dialog == "profile":
                    check_rules_window(language, app, window, pyatspi)
                press(pyatspi, inside[("push button", CLOSERS[language][dialog])])
                wait_for(f"the {dialog} dialog to close", lambda: not window.getState().contains(
                    pyatspi.STATE_SHOWING) or len(windows(app)) == before)
            assert running.poll() is None, "the program ended"
        finally:
            running.terminate()
            running.wait(timeout=30)


def main():
    program, tool = sys.argv[1], sys.argv[2]
    try:
        import pyatspi
    except ImportError:
        print("pyatspi is not installed: skipped")
        return SKIPPED
    if (shutil.which("Xvfb") is None or shutil.which("xdotool") is None
            or not Path("/usr/libexec/at-spi-bus-launcher").exists()):
        print("Xvfb, xdotool or at-spi2-core is not installed: skipped")
        return SKIPPED
    read, write = os.pipe()
    xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write), "-nolisten", "tcp"],
                            pass_fds=[write], stderr=subprocess.DEVNULL)
    os.close(write)
    with os.fdopen(read) as display:
        os.environ["DISPLAY"] = ":" + display.readline().strip()
    for name in ("WAYLAND_DISPLAY", "SWAYSOCK"):
        os.environ.pop(name, None)
    try:
        for language in ("english", "chinese"):
            run_language(language, program, tool, pyatspi)
            print(f"{language}: every window's controls found by name and role")
    finally:
        xvfb.terminate()
        xvfb.wait(timeout=30)
    return 0


if __name__ == "__main__":
    sys.exit(main())
