#pragma once

#include <QImage>
#include <QPainter>

namespace tq260 {

// A bitmap divided into equal frames, side by side or (for a bitmap taller than wide)
// stacked. Sizes are logical: a dense bitmap (@2x) holds twice the pixels of the same frames.
class BitmapStrip {
  public:
    // Frame width or height 0 means the bitmap's full width or height.
    BitmapStrip(const QImage& bitmap, int frameWidth, int frameHeight);
    static BitmapStrip fromResource(int id, int frameWidth, int frameHeight, qreal density = 1);

    int frameCount() const { return frameCount_; }
    int frameWidth() const { return frameWidth_; }
    int frameHeight() const { return frameHeight_; }
    bool isVertical() const { return vertical_; }
    QSize bitmapSize() const { return bitmap_.deviceIndependentSize().toSize(); }
    const QImage& bitmap() const { return bitmap_; }
    QRect frameRect(int index) const;

    // Copies frame index opaquely to (drawX, drawY); an index beyond the frames draws nothing.
    void draw(QPainter& painter, int index) const;
    int drawX = 0;
    int drawY = 0;

  private:
    QImage bitmap_;
    int frameWidth_;
    int frameHeight_;
    bool vertical_;
    int frameCount_;
};

}  // namespace tq260
