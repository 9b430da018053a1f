#include "controls/splash_screen.h"

#include <QTimerEvent>

#include "controls/skin_folder.h"
#include "controls/skin_image.h"

namespace tq260 {

CSplashScreen::CSplashScreen(const QString& applicationFolder, Language language, QWidget* parent)
    : QDialog(parent, Qt::FramelessWindowHint | Qt::Dialog),
      picturePath_(splashScreenPath(applicationFolder, language)) {
    setModal(true);
}

void CSplashScreen::initialise() {
    // The dense twin on a dense screen; it has the plain picture's size in logical pixels.
    picture_ = SkinImage();
    if (devicePixelRatioF() > 1) picture_ = SkinImage::load(denseSkinName(picturePath_));
    if (picture_.isEmpty()) picture_ = SkinImage::load(picturePath_);
    resize(picture_.size());
    timer_.start(kTickMs, this);
}

void CSplashScreen::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!timer_.isActive()) initialise();
}

void CSplashScreen::hideEvent(QHideEvent* event) {
    timer_.stop();
    QDialog::hideEvent(event);
}

void CSplashScreen::tick() {
    if (ticks_ > kLastOpenTick) accept();
    ++ticks_;
}

void CSplashScreen::timerEvent(QTimerEvent* event) {
    if (event->timerId() == timer_.timerId()) {
        tick();
        return;
    }
    QDialog::timerEvent(event);
}

void CSplashScreen::paintEvent(QPaintEvent*) {
    if (!picture_.isEmpty()) showComposed(*this, picture_.image());
}

}  // namespace tq260
