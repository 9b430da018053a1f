#pragma once

#include <QImage>
#include <QPainter>
#include <QString>

namespace tq260 {

// One decoded skin image, kept opaque: its alpha channel is dropped and every pixel keeps
// the colour values the file holds, transparent ones included. A file that is missing or
// cannot be decoded gives an empty image (0 x 0) and no error.
class SkinImage {
  public:
    SkinImage() = default;
    static SkinImage load(const QString& path);

    bool isEmpty() const { return image_.isNull(); }
    int width() const { return image_.width(); }
    int height() const { return image_.height(); }
    QSize size() const { return image_.size(); }
    const QImage& image() const { return image_; }

    // Copies the whole image at its natural size with its top-left corner at (x, y).
    void draw(QPainter& painter, int x, int y) const;

  private:
    explicit SkinImage(QImage image) : image_(std::move(image)) {}
    QImage image_;
};

// Loads folder + fileName and draws it at (x, y); draws nothing when it cannot be loaded.
void drawSkinImage(QPainter& painter, const QString& folder, const QString& fileName, int x, int y);

// A label of the skins: Arial whose character cell is the given height, weight 300, the given
// colour (white unless said otherwise), transparent background, top-left corner at (x, y).
void drawLabel(QPainter& painter, const QString& text, int x, int y, int height,
               QColor colour = Qt::white);

// The font of the labels.
QFont labelFont(int height);

// The label font of at most the given height whose rendering of text is at most width wide
// (down to a floor that stays readable).
QFont labelFontToFit(const QString& text, int height, int width);

// A label as large as fits box's width (at most the given height), aligned in box.
void drawFittedLabel(QPainter& painter, const QString& text, const QRectF& box, int height,
                     QColor colour, Qt::Alignment alignment);

// Sizes font so that its character cell (ascent plus descent) is cellHeight pixels: a font
// height as the skins give it, which is the cell, not the em size (about 15 % smaller).
void setCellHeight(QFont& font, int cellHeight);

}  // namespace tq260
