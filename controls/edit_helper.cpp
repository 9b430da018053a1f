#include "controls/edit_helper.h"

#include <QKeyEvent>

#include "controls/window_messages.h"

namespace tq260 {

CEditHelper::CEditHelper(QWidget* parent, QObject* list) : QLineEdit(parent), list_(list) {}

void CEditHelper::tellList(bool commit) {
    if (list_) sendWindowMessage(list_, WM_INPLACE_EDIT_END, commit ? 1 : 0, 0);
}

void CEditHelper::keyPressEvent(QKeyEvent* event) {
    // Enter and Escape act when released; pressing them does nothing else here, so they
    // never reach a dialog's default buttons.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter ||
        event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void CEditHelper::keyReleaseEvent(QKeyEvent* event) {
    if (event->isAutoRepeat()) {
        QLineEdit::keyReleaseEvent(event);
        return;
    }
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        tellList(true);
        event->accept();
        return;
    }
    if (event->key() == Qt::Key_Escape) {
        tellList(false);
        event->accept();
        return;
    }
    QLineEdit::keyReleaseEvent(event);
}

void CEditHelper::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    tellList(true);
}

}  // namespace tq260
