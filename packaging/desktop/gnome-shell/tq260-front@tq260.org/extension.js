// Tells the TQ260 program, over the session bus, the application of each window that gets
// the focus (its class or Wayland app id, and its executable); the program picks the
// profile. The call does not wait, and nothing happens while the program is not running.
const { Gio, GLib } = imports.gi;

function executableOf(window) {
    const pid = window.get_pid();
    if (pid <= 0) return "";
    try {
        return GLib.file_read_link(`/proc/${pid}/exe`);
    } catch (e) {
        return "";
    }
}

class FrontApplication {
    enable() {
        this._focus = global.display.connect("notify::focus-window", () => this._tell());
        this._tell();
    }

    disable() {
        if (this._focus) global.display.disconnect(this._focus);
        this._focus = 0;
    }

    _tell() {
        const window = global.display.focus_window;
        const id = window ? window.get_wm_class() : null;
        if (!id) return;
        Gio.DBus.session.call("org.tq260.Vantor", "/org/tq260/Vantor", "org.tq260.Vantor1",
            "FrontApplicationChanged", new GLib.Variant("(ss)", [id, executableOf(window)]),
            null, Gio.DBusCallFlags.NO_AUTO_START, -1, null, null);
    }
}

function init() {
    return new FrontApplication();
}
