#include "controls/dark_scroll_bars.h"

#include <QScrollBar>

namespace tq260 {

void applyDarkScrollBars(QAbstractScrollArea* area) {
    static const QString style = QStringLiteral(
        "QScrollBar:vertical { background: #0f121a; width: 10px; margin: 0; }"
        "QScrollBar::handle:vertical { background: #2d3548; border-radius: 4px; min-height: 24px;"
        " margin: 1px; }"
        "QScrollBar::handle:vertical:hover { background: #1ec8ff; }"
        "QScrollBar::add-line:vertical, QScrollBar::sub-line:vertical { height: 0; }"
        "QScrollBar::add-page:vertical, QScrollBar::sub-page:vertical { background: none; }"
        "QScrollBar:horizontal { background: #0f121a; height: 10px; margin: 0; }"
        "QScrollBar::handle:horizontal { background: #2d3548; border-radius: 4px; min-width: 24px;"
        " margin: 1px; }"
        "QScrollBar::add-line:horizontal, QScrollBar::sub-line:horizontal { width: 0; }"
        "QScrollBar::add-page:horizontal, QScrollBar::sub-page:horizontal { background: none; }");
    area->verticalScrollBar()->setStyleSheet(style);
    area->horizontalScrollBar()->setStyleSheet(style);
}

}  // namespace tq260
