#include "controls/bitmap_strip.h"

#include "controls/resource_bitmaps.h"
#include "controls/skin_image.h"

namespace tq260 {

BitmapStrip::BitmapStrip(const QImage& bitmap, int frameWidth, int frameHeight)
    : bitmap_(bitmap.convertToFormat(QImage::Format_RGB32)),
      frameWidth_(frameWidth == 0 ? bitmapSize().width() : frameWidth),
      frameHeight_(frameHeight == 0 ? bitmapSize().height() : frameHeight),
      vertical_(bitmapSize().width() < bitmapSize().height()) {
    if (vertical_) {
        frameCount_ = frameHeight_ > 0 ? bitmapSize().height() / frameHeight_ : 0;
    } else {
        frameCount_ = frameWidth_ > 0 ? bitmapSize().width() / frameWidth_ : 0;
    }
}

BitmapStrip BitmapStrip::fromResource(int id, int frameWidth, int frameHeight, qreal density) {
    return BitmapStrip(resourceBitmap(id, density), frameWidth, frameHeight);
}

QRect BitmapStrip::frameRect(int index) const {
    if (vertical_) return QRect(0, index * frameHeight_, frameWidth_, frameHeight_);
    return QRect(index * frameWidth_, 0, frameWidth_, frameHeight_);
}

void BitmapStrip::draw(QPainter& painter, int index) const {
    if (index < 0 || index >= frameCount_) return;
    const QPainter::CompositionMode mode = painter.compositionMode();
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    drawImagePart(painter, QRectF(drawX, drawY, frameWidth_, frameHeight_), bitmap_,
                  frameRect(index));
    painter.setCompositionMode(mode);
}

}  // namespace tq260
