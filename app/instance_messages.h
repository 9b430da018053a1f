#pragma once

#include <QString>

namespace tq260 {

class CGameKeyboardDlg;

// What a later start of the program asks of the running one: "show" brings the window
// forward, "launch-key <vk>" starts what is assigned to that key.
void handleInstanceMessage(CGameKeyboardDlg& window, const QString& message);

}  // namespace tq260
