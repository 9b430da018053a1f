// Tells the TQ260 program, over the session bus, the class of each window that becomes
// active; the program picks the profile. Nothing happens while the program is not running.
function tell(window) {
    if (!window || !window.resourceClass) return;
    callDBus("org.tq260.Vantor", "/org/tq260/Vantor", "org.tq260.Vantor1",
             "FrontApplicationChanged", String(window.resourceClass), "");
}

// KWin 6 names it windowActivated, KWin 5 clientActivated.
if (workspace.windowActivated) {
    workspace.windowActivated.connect(tell);
    tell(workspace.activeWindow);
} else {
    workspace.clientActivated.connect(tell);
    tell(workspace.activeClient);
}
