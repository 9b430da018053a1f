#pragma once

#include <QLineEdit>
#include <QPointer>

namespace tq260 {

// The single-line edit laid over a list row while it is edited. It tells its list when the
// edit ends with WM_INPLACE_EDIT_END: wParam 1 (commit) when Enter is released or the focus
// leaves, 0 (cancel) when Escape is released.
class CEditHelper final : public QLineEdit {
  public:
    CEditHelper(QWidget* parent, QObject* list);

  protected:
    void keyReleaseEvent(QKeyEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

  private:
    void tellList(bool commit);
    QPointer<QObject> list_;
};

}  // namespace tq260
