#pragma once

#include <QApplication>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <QTimer>
#include <QWidget>
#include <algorithm>
#include <functional>

// A left click at (x, y) of the window, as the benchmarks give it.
inline void clickWindow(QWidget& window, int x, int y) {
    const QPointF at(x, y);
    QMouseEvent down(QEvent::MouseButtonPress, at, at, Qt::LeftButton, Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(&window, &down);
    QMouseEvent up(QEvent::MouseButtonRelease, at, at, Qt::LeftButton, Qt::NoButton,
                   Qt::NoModifier);
    QApplication::sendEvent(&window, &up);
}

// The lateness probe of the window benchmarks: a 1 ms timer on the main thread whose
// longest gap, less its period, is the longest the window stopped answering. Each beat
// also moves the pointer over the window, so hover repaints run as under a user's hand.
class UiHeartbeat {
  public:
    explicit UiHeartbeat(QWidget& window) : window_(window) {
        timer_.setTimerType(Qt::PreciseTimer);
        QObject::connect(&timer_, &QTimer::timeout, [this] { beat(); });
        since_.start();
        lastNs_ = since_.nsecsElapsed();
        timer_.start(1);
    }

    // Runs the event loop until done() holds or limitMs pass; false on the limit.
    bool runUntil(const std::function<bool()>& done, int limitMs) {
        QElapsedTimer limit;
        limit.start();
        while (!done()) {
            if (limit.elapsed() > limitMs) return false;
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        }
        return true;
    }

    double longestStallMs() const { return longestMs_; }
    double elapsedMs() const { return static_cast<double>(since_.nsecsElapsed()) / 1e6; }

  private:
    void beat() {
        const qint64 now = since_.nsecsElapsed();
        longestMs_ = std::max(longestMs_, static_cast<double>(now - lastNs_) / 1e6 - 1.0);
        lastNs_ = now;
        const QPointF at(20 + (beats_ * 7) % 960, 20 + (beats_ * 3) % 600);
        QMouseEvent move(QEvent::MouseMove, at, at, Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(&window_, &move);
        ++beats_;
    }

    QWidget& window_;
    QTimer timer_;
    QElapsedTimer since_;
    qint64 lastNs_ = 0;
    double longestMs_ = 0;
    int beats_ = 0;
};
