#pragma once

#include <QAbstractScrollArea>

namespace tq260 {

// Gives a scrolling control slim scroll bars in the skins' dark colours.
void applyDarkScrollBars(QAbstractScrollArea* area);

}  // namespace tq260
