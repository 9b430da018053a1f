// Runs the GNOME Shell extension as the Shell runs it, on a stand-in display, then gives
// the focus to a window of each class named on the command line, in turn.
// Usage: gjs gnome_harness.js EXTENSION_FOLDER CLASS...
const [folder, ...classes] = ARGV;
imports.searchPath.unshift(folder);
const { Gio } = imports.gi;

let focusChanged = null;
globalThis.global = {
    display: {
        focus_window: null,
        connect: (signal, listener) => { focusChanged = listener; return 1; },
        disconnect: () => { focusChanged = null; },
    },
};
const extension = imports.extension.init();
extension.enable();
for (const name of classes) {
    global.display.focus_window = { get_wm_class: () => name, get_pid: () => 0 };
    focusChanged();
}
// The extension's calls do not wait; they are on their way before this ends.
Gio.DBus.session.flush_sync(null);
extension.disable();
