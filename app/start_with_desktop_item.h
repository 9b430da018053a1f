#pragma once

#include <QAction>
#include <QMenu>
#include <filesystem>

#include "keys/language.h"
#include "platform/message_boxes.h"

namespace tq260 {

// The notification-area menu's "Start with the desktop" item: ticked while the desktop's
// autostart entry for the program is there; ticking writes it, unticking removes it. A
// change that fails is said, and the tick keeps showing what is true.
QAction* addStartWithDesktopItem(QMenu& menu, Language language, MessageBoxes& messages,
                                 std::filesystem::path entry, std::filesystem::path program);

}  // namespace tq260
