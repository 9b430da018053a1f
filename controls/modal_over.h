#pragma once

#include <QDialog>
#include <QPointer>

namespace tq260 {

// A dialog modal to the window it opens over, for as long as it runs, instead of to the whole
// program: the notification area's icon and its menu stay usable while it is up. The dialog
// is that window's child only while it runs, so it never dies with the window.
class ModalOver {
  public:
    ModalOver(QDialog& dialog, QWidget* owner) : dialog_(&dialog) {
        if (owner != nullptr && dialog.parentWidget() == nullptr) {
            dialog.setParent(owner, dialog.windowFlags());
            adopted_ = true;
        }
        dialog.setWindowModality(Qt::WindowModal);
    }
    ~ModalOver() {
        if (adopted_ && dialog_) dialog_->setParent(nullptr, dialog_->windowFlags());
    }
    ModalOver(const ModalOver&) = delete;
    ModalOver& operator=(const ModalOver&) = delete;

  private:
    QPointer<QDialog> dialog_;
    bool adopted_ = false;
};

}  // namespace tq260
