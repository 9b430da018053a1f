#pragma once

#include <QBasicTimer>
#include <QDialog>

#include "controls/skin_image.h"
#include "keys/language.h"

namespace tq260 {

// The picture shown for about a second while the main window starts. It closes itself on
// the 20 ms tick that finds its counter above 50; the counter is never reset, so a second
// showing in the same run closes at the next tick.
class CSplashScreen final : public QDialog {
  public:
    static constexpr int kTickMs = 20;
    static constexpr int kLastOpenTick = 50;

    CSplashScreen(const QString& applicationFolder, Language language, QWidget* parent = nullptr);

    // Sizes the dialog to the picture (0 x 0 when it is missing) and starts the timer.
    void initialise();
    // One timer tick.
    void tick();
    int ticks() const { return ticks_; }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

  private:
    QString picturePath_;
    SkinImage picture_;  // decoded once per showing, not on every paint
    QBasicTimer timer_;
    int ticks_ = 0;
};

}  // namespace tq260
