#include "app/instance_messages.h"

#include "app/main_window.h"
#include "controls/window_messages.h"
#include "keys/instance_request.h"

namespace tq260 {

void handleInstanceMessage(CGameKeyboardDlg& window, const QString& message) {
    // Checked as the command line is: anything else, or a message for another key, does
    // nothing.
    const auto request = parseInstanceMessage(message.toStdString());
    if (!request) return;
    if (request->kind == InstanceRequest::Kind::Show) {
        window.showNormal();
        window.raise();
        window.activateWindow();
        return;
    }
    sendWindowMessage(&window, WM_LAUNCH_KEY, request->key, 0);
}

}  // namespace tq260
