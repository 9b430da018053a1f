#pragma once

#include <QLineEdit>

namespace tq260 {

// The box of a key dialog that shows the captured key or combination. Its text comes only
// from the key capture: typing never edits it, and Enter or Escape in it close nothing.
class KeyCaptureBox final : public QLineEdit {
  public:
    explicit KeyCaptureBox(QWidget* parent = nullptr);
    // Shows the text with the caret at its end.
    void showText(const QString& text);

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
};

}  // namespace tq260
