#include "controls/bit_slider.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include "controls/focus_stop.h"
#include "controls/resource_bitmaps.h"
#include "controls/window_messages.h"

namespace tq260 {

namespace {

constexpr int kThumbWidth = 15;
constexpr int kThumbHeight = 14;
constexpr int kThumbXShift = 10;

}  // namespace

CBitWnd::CBitWnd(QWidget* parent)
    : QWidget(parent), strip_(BitmapStrip::fromResource(kSliderThumb, kThumbWidth, kThumbHeight)) {
    setGeometry(0, 0, strip_.frameWidth(), strip_.frameHeight());
    setAttribute(Qt::WA_TransparentForMouseEvents);
    hide();
}

CBitSlider::CBitSlider(QWidget* parent) : QAbstractSlider(parent) {
    setOrientation(Qt::Horizontal);
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
}

CBitSlider::~CBitSlider() = default;

void CBitSlider::createThumbWindow() {
    if (thumbWindow_ == nullptr) thumbWindow_ = new CBitWnd(this);
    thumbWindow_->hide();
}

void CBitSlider::loadChannelStrips() {
    stripsDensity_ = devicePixelRatioF();
    stripA_ = std::make_unique<BitmapStrip>(
        BitmapStrip::fromResource(kSliderChannelEmpty, 0, 0, stripsDensity_));
    stripB_ = std::make_unique<BitmapStrip>(
        BitmapStrip::fromResource(kSliderChannelFilled, 0, 0, stripsDensity_));
    resize(stripB_->bitmapSize());
}

void CBitSlider::followDensity() {
    if (stripA_ != nullptr && qFuzzyCompare(stripsDensity_, devicePixelRatioF())) return;
    loadChannelStrips();
}

QRect CBitSlider::channelRect() const {
    return rect();
}

QRect CBitSlider::thumbRect() const {
    // The trackbar's own thumb sits 10 pixels in from where the owner draws the thumb
    // picture (the report takes the 10 off again), so the picture runs from the channel's
    // left edge to its right edge less the picture's width.
    const QRect channel = channelRect();
    const int span = maximum() - minimum();
    const int offset = value() - minimum();
    if (orientation() == Qt::Horizontal) {
        const int travel = channel.width() - kThumbWidth;
        const int left = channel.left() + kThumbXShift + (span > 0 ? offset * travel / span : 0);
        return QRect(left, channel.top(), kThumbWidth, channel.height());
    }
    const int travel = channel.height() - kThumbHeight;
    const int top = channel.top() + (span > 0 ? offset * travel / span : 0);
    return QRect(channel.left(), top, channel.width(), kThumbHeight);
}

void CBitSlider::reportThumb() {
    const int tw = thumbWindow_ ? thumbWindow_->width() : 0;
    const int th = thumbWindow_ ? thumbWindow_->height() : 0;
    const QRect t = thumbRect();
    int left = 0;
    int top = 0;
    if (orientation() == Qt::Horizontal) {
        top = thumbOffset;
        left = t.left() + (tw - t.width()) / 2;
    } else {
        left = thumbOffset;
        top = t.top() + (th - t.height()) / 2;
    }
    thumbX_ = left - kThumbXShift;
    thumbY_ = top;
    sendWindowMessage(target_ ? target_.data() : parentWidget(), WM_SLIDER_CHANGED, notifyId, 0);
    if (thumbWindow_) thumbWindow_->hide();
}

void CBitSlider::paintEvent(QPaintEvent*) {
    // Nothing of the slider is drawn but the focus mark: the owner draws channel and thumb
    // where told.
    reportThumb();
    if (hasFocus() && keyboardFocus_) {
        QPainter painter(this);
        drawFocusMark(painter, rect().adjusted(3, 3, -4, -4));
    }
}

void CBitSlider::focusInEvent(QFocusEvent* event) {
    keyboardFocus_ =
        event->reason() == Qt::TabFocusReason || event->reason() == Qt::BacktabFocusReason;
    QAbstractSlider::focusInEvent(event);
    update();
}

void CBitSlider::focusOutEvent(QFocusEvent* event) {
    keyboardFocus_ = false;
    QAbstractSlider::focusOutEvent(event);
    update();
}

void CBitSlider::keyPressEvent(QKeyEvent* event) {
    keyboardFocus_ = true;
    QAbstractSlider::keyPressEvent(event);
    update();
}

int CBitSlider::positionAt(QPoint point) const {
    const QRect channel = channelRect();
    const bool horizontal = orientation() == Qt::Horizontal;
    const int d = horizontal ? point.x() - channel.left() : point.y() - channel.top();
    const int w = horizontal ? channel.width() : channel.height();
    if (w <= 0) return minimum();
    const int span = maximum() - minimum();
    int position = d * span / w;
    const float exact = static_cast<float>(span) * static_cast<float>(d) / static_cast<float>(w);
    if (exact - static_cast<float>(position) >= 0.5F) ++position;
    // The range minimum is not added: every slider of the program starts at 0.
    return position;
}

void CBitSlider::jumpTo(QPoint point) {
    setValue(positionAt(point));
}

void CBitSlider::mouseMoveEvent(QMouseEvent* event) {
    reportThumb();
    if (dragging_) jumpTo(event->position().toPoint());
    event->accept();
}

void CBitSlider::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QAbstractSlider::mousePressEvent(event);
        return;
    }
    dragging_ = true;
    keyboardFocus_ = false;
    setSliderDown(true);
    jumpTo(event->position().toPoint());
    event->accept();
}

void CBitSlider::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && dragging_) {
        dragging_ = false;
        setSliderDown(false);
    }
    event->accept();
}

void CBitSlider::wheelEvent(QWheelEvent* event) {
    // Handled, and the position stays.
    event->accept();
}

}  // namespace tq260
