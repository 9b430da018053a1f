#include "app/instance_messages.h"

#include "app/main_window.h"
#include "controls/window_messages.h"
#include "keys/launch_for_key.h"

namespace tq260 {

void handleInstanceMessage(CGameKeyboardDlg& window, const QString& message) {
    if (message == QStringLiteral("show")) {
        window.showNormal();
        window.raise();
        window.activateWindow();
        return;
    }
    static const QString launchKey = QStringLiteral("launch-key ");
    if (message.startsWith(launchKey)) {
        // Checked as the command line is: a message for another key does nothing.
        if (const auto key = parseVirtualKeyCode(message.mid(launchKey.size()).toStdString())) {
            sendWindowMessage(&window, WM_LAUNCH_KEY, *key, 0);
        }
    }
}

}  // namespace tq260
