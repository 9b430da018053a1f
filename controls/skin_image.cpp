#include "controls/skin_image.h"

#include <QFontMetrics>
#include <algorithm>

namespace tq260 {

namespace {

constexpr int kLabelWeight = 300;

// The colour channels stay as stored; only the alpha is made full.
QImage opaqueCopy(const QImage& decoded) {
    if (!decoded.hasAlphaChannel()) return decoded.convertToFormat(QImage::Format_RGB32);
    QImage image = decoded.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) line[x] |= 0xFF000000U;
    }
    image.reinterpretAsFormat(QImage::Format_RGB32);
    return image;
}

}  // namespace

SkinImage SkinImage::load(const QString& path) {
    QImage decoded(path);
    if (decoded.isNull()) return SkinImage();
    QImage image = opaqueCopy(decoded);
    image.setDevicePixelRatio(path.contains(QStringLiteral("@2x.")) ? 2.0 : 1.0);
    return SkinImage(std::move(image));
}

void showComposed(QWidget& window, const QImage& picture) {
    QPainter painter(&window);
    if (!qFuzzyCompare(picture.devicePixelRatio(), window.devicePixelRatioF())) {
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
    }
    painter.drawImage(0, 0, picture);
}

void drawImagePart(QPainter& painter, const QRectF& target, const QImage& picture,
                   const QRect& source) {
    const qreal density = picture.devicePixelRatio();
    painter.drawImage(target, picture,
                      QRectF(QPointF(source.topLeft()) * density, QSizeF(source.size()) * density));
}

QString denseSkinName(const QString& path) {
    const qsizetype dot = path.lastIndexOf(u'.');
    const qsizetype slash = path.lastIndexOf(u'/');
    QString dense = path;
    dense.insert(dot > slash ? dot : path.size(), QStringLiteral("@2x"));
    return dense;
}

void SkinImage::draw(QPainter& painter, int x, int y) const {
    if (isEmpty()) return;
    const QPainter::CompositionMode mode = painter.compositionMode();
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(x, y, image_);
    painter.setCompositionMode(mode);
}

void drawSkinImage(QPainter& painter, const QString& folder, const QString& fileName, int x,
                   int y) {
    SkinImage::load(folder + fileName).draw(painter, x, y);
}

void setCellHeight(QFont& font, int cellHeight) {
    // From the em size down to the largest whose cell fits; two or three steps for any face.
    for (int size = std::max(cellHeight, 1); size > 1; --size) {
        font.setPixelSize(size);
        if (QFontMetrics(font).height() <= cellHeight) return;
    }
    font.setPixelSize(1);
}

QFont labelFont(int height) {
    QFont font(QStringLiteral("Arial"));
    font.setWeight(static_cast<QFont::Weight>(kLabelWeight));
    setCellHeight(font, height);
    return font;
}

QFont labelFontToFit(const QString& text, int height, int width) {
    constexpr int kSmallestReadable = 8;
    QFont font = labelFont(height);
    while (height > kSmallestReadable && QFontMetrics(font).horizontalAdvance(text) > width) {
        font = labelFont(--height);
    }
    return font;
}

void drawFittedLabel(QPainter& painter, const QString& text, const QRectF& box, int height,
                     QColor colour, Qt::Alignment alignment) {
    painter.save();
    painter.setFont(labelFontToFit(text, height, static_cast<int>(box.width())));
    painter.setPen(colour);
    painter.drawText(box, alignment, text);
    painter.restore();
}

void drawLabel(QPainter& painter, const QString& text, int x, int y, int height, QColor colour) {
    painter.save();
    painter.setFont(labelFont(height));
    painter.setPen(colour);
    painter.setBackgroundMode(Qt::TransparentMode);
    painter.drawText(QRect(x, y, 4096, 4096), Qt::AlignLeft | Qt::AlignTop, text);
    painter.restore();
}

}  // namespace tq260
