#include "app/instance_messages.h"

#include "app/main_window.h"
#include "controls/window_messages.h"

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
        bool number = false;
        const uint key = message.mid(launchKey.size()).toUInt(&number);
        if (number) sendWindowMessage(&window, WM_LAUNCH_KEY, key, 0);
    }
}

}  // namespace tq260
