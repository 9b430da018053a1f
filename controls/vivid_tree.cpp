#include "controls/vivid_tree.h"

#include <QLinearGradient>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>

#include "controls/dark_scroll_bars.h"
#include "controls/resource_bitmaps.h"

namespace tq260 {

namespace {

constexpr int kPictureGap = 2;
constexpr int kPictureDrop = 4;

// A range of exactly 0..100 is what the control reports when there is nothing to scroll.
int scrollMaximum(const QScrollBar* bar) {
    if (bar->minimum() == 0 && bar->maximum() == 100) return 0;
    return bar->maximum();
}

}  // namespace

VividTree::VividTree(QWidget* parent) : QTreeWidget(parent) {
    setHeaderHidden(true);
    setFrameShape(QFrame::NoFrame);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    applyDarkScrollBars(this);
    connect(this, &QTreeWidget::itemExpanded, this, [this](QTreeWidgetItem*) {
        if (backgroundMode == Background::Picture) viewport()->update();
    });
}

void VividTree::loadPictures() {
    picturesDensity_ = devicePixelRatioF();
    backgroundPicture_ = resourceBitmap(kPressIcon, picturesDensity_);
    collapsedPicture_ = resourceBitmap(kCollapsedPicture, picturesDensity_);
    expandedPicture_ = resourceBitmap(kExpandedPicture, picturesDensity_);
}

VividTree::Extent VividTree::extent() const {
    const QRect client = viewport()->rect();
    Extent e{client.left(), client.top(), client.width(), client.height()};
    const QScrollBar* horizontal = horizontalScrollBar();
    if (horizontal->maximum() > horizontal->minimum()) {
        e.originX = -horizontal->value();
        e.contentWidth = std::max(client.width(), horizontal->maximum() + 1);
    }
    const QScrollBar* vertical = verticalScrollBar();
    const int verticalMaximum = scrollMaximum(vertical);
    if (verticalMaximum > vertical->minimum()) {
        const int itemHeight =
            topLevelItemCount() > 0 ? visualItemRect(topLevelItem(0)).height() : 0;
        e.originY = -(itemHeight * vertical->value());
        e.contentHeight = std::max(client.height(), (itemHeight + 1) * (verticalMaximum + 2));
    }
    return e;
}

void VividTree::paintBackground(QPainter& painter, const Extent& e) const {
    const QRect content(e.originX, e.originY, e.contentWidth, e.contentHeight);
    switch (backgroundMode) {
        case Background::Solid:
            painter.fillRect(viewport()->rect(), QColor(kSolidBackground));
            break;
        case Background::Gradient: {
            const QPointF end = horizontalGradient ? QPointF(content.right(), content.top())
                                                   : QPointF(content.left(), content.bottom());
            QLinearGradient gradient(content.topLeft(), end);
            gradient.setColorAt(0, QColor(kGradientStart));
            gradient.setColorAt(1, QColor(kGradientEnd));
            painter.fillRect(content, gradient);
            break;
        }
        case Background::Picture:
            if (backgroundPicture_.isNull()) break;
            if (tilePicture) {
                const QSize size = backgroundPicture_.deviceIndependentSize().toSize();
                const int w = size.width();
                const int h = size.height();
                for (int row = 0; row <= e.contentHeight / h; ++row) {
                    for (int column = 0; column <= e.contentWidth / w; ++column) {
                        painter.drawImage(e.originX + column * w, e.originY + row * h,
                                          backgroundPicture_);
                    }
                }
            } else {
                painter.drawImage(content, backgroundPicture_);
            }
            break;
    }
}

QRect VividTree::textRect(QTreeWidgetItem* item) const {
    // The item's rectangle starts where its text does, after its indentation.
    const QRect row = visualItemRect(item);
    const int width = fontMetrics().horizontalAdvance(item->text(0)) + 4;
    return QRect(row.left() + kTextShift, row.top(), width, row.height());
}

void VividTree::paintEvent(QPaintEvent*) {
    const QRect client = viewport()->rect();
    // At the screen's density, so the text is as sharp as the window's.
    const qreal density = devicePixelRatioF();
    // Loaded pictures follow the screen: another screen or scale may want the other twin.
    if (picturesDensity_ != 0 && !qFuzzyCompare(picturesDensity_, density)) loadPictures();
    QImage surface(client.size() * density, QImage::Format_RGB32);
    surface.setDevicePixelRatio(density);
    surface.fill(Qt::black);
    QPainter painter(&surface);
    painter.setFont(font());
    const Extent e = extent();
    paintBackground(painter, e);

    painter.setPen(Qt::white);
    for (QTreeWidgetItem* item = itemAt(0, 0); item != nullptr; item = itemBelow(item)) {
        const QRect text = textRect(item);
        if (text.top() >= client.height()) break;
        const bool highlighted = item->isSelected() && (hasFocus() || showSelectionAlways_);
        if (highlighted) {
            painter.fillRect(
                QRect(QPoint(0, text.top()), QPoint(e.originX + e.contentWidth, text.bottom())),
                QColor(kHighlightBar));
        }
        if (item->childCount() > 0) {
            const QImage& picture = item->isExpanded() ? expandedPicture_ : collapsedPicture_;
            const int width = qRound(picture.deviceIndependentSize().width());
            painter.drawImage(text.left() - width - kPictureGap, text.top() + kPictureDrop,
                              picture);
        }
        painter.drawText(text.adjusted(0, 1, 0, -1), Qt::AlignLeft | Qt::AlignTop, item->text(0));
    }
    painter.end();

    QPainter screen(viewport());
    screen.drawImage(client.topLeft(), surface);
}

}  // namespace tq260
