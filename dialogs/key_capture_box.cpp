#include "dialogs/key_capture_box.h"

#include <QKeyEvent>

#include "controls/skin_image.h"

namespace tq260 {

KeyCaptureBox::KeyCaptureBox(QWidget* parent) : QLineEdit(parent) {
    setFrame(false);
    setContextMenuPolicy(Qt::NoContextMenu);
    setFocusPolicy(Qt::ClickFocus);
    setAttribute(Qt::WA_InputMethodEnabled, false);
    // The box is 15 pixels high: its text has to fit in that.
    QFont font(QStringLiteral("Arial"));
    setCellHeight(font, 12);
    setFont(font);
    setTextMargins(0, 0, 0, 0);
    setStyleSheet(
        QStringLiteral("QLineEdit { background: #1e1e1e; color: white; "
                       "selection-background-color: #2f2e66; border: none; "
                       "padding: 0 3px; margin: 0; }"));
}

void KeyCaptureBox::showText(const QString& text) {
    setText(text);
    setCursorPosition(static_cast<int>(text.size()));
}

void KeyCaptureBox::keyPressEvent(QKeyEvent* event) {
    event->accept();
}

void KeyCaptureBox::inputMethodEvent(QInputMethodEvent* event) {
    event->accept();
}

}  // namespace tq260
