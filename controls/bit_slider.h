#pragma once

#include <QAbstractSlider>
#include <QPointer>
#include <QWidget>
#include <memory>

#include "controls/bitmap_strip.h"

namespace tq260 {

// The hidden child of a slider whose only role is to give the thumb picture's size.
class CBitWnd final : public QWidget {
  public:
    explicit CBitWnd(QWidget* parent);
    const BitmapStrip& strip() const { return strip_; }

  private:
    BitmapStrip strip_;
};

// An invisible slider: it keeps its range, position, keys and dragging, paints nothing,
// jumps straight to a clicked point, and after every paint and mouse move works out where
// the thumb picture belongs and tells its owner with WM_SLIDER_CHANGED (wParam = notify id),
// so the owner draws channel and thumb itself.
class CBitSlider final : public QAbstractSlider {
  public:
    explicit CBitSlider(QWidget* parent = nullptr);
    ~CBitSlider() override;

    // Set-up in this order: the thumb window, then the channel strips (which also size the
    // slider to the channel, 220 x 17, without moving it).
    void createThumbWindow();
    void loadChannelStrips();
    // Loads the strips again when the screen's density has changed since (another screen or
    // scale), so the owner draws the sharp twin.
    void followDensity();

    // Who hears WM_SLIDER_CHANGED; the parent widget unless set.
    void setMessageTarget(QObject* target) { target_ = target; }
    int notifyId = 0;
    int thumbOffset = 0;

    int thumbX() const { return thumbX_; }
    int thumbY() const { return thumbY_; }
    const BitmapStrip* channelStripA() const { return stripA_.get(); }
    const BitmapStrip* channelStripB() const { return stripB_.get(); }
    CBitWnd* thumbWindow() const { return thumbWindow_; }

    // The slider's own geometry: the channel the thumb runs along and the thumb at the
    // current position.
    QRect channelRect() const;
    QRect thumbRect() const;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void reportThumb();
    void jumpTo(QPoint point);
    int positionAt(QPoint point) const;

    QPointer<QObject> target_;
    CBitWnd* thumbWindow_ = nullptr;
    std::unique_ptr<BitmapStrip> stripA_;
    std::unique_ptr<BitmapStrip> stripB_;
    qreal stripsDensity_ = 0;
    bool dragging_ = false;
    // The focus came by the keyboard: the mark shows.
    bool keyboardFocus_ = false;
    int thumbX_ = 0;
    int thumbY_ = 0;
};

}  // namespace tq260
