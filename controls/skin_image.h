#pragma once

#include <QImage>
#include <QPainter>
#include <QString>
#include <QWidget>

namespace tq260 {

// One decoded skin image, kept opaque: its alpha channel is dropped and every pixel keeps
// the colour values the file holds, transparent ones included. A file that is missing or
// cannot be decoded gives an empty image (0 x 0) and no error. A file named "name@2x.png"
// holds twice the pixels each way for dense screens: its sizes are given, and it is drawn,
// in logical pixels, as the plain file is.
class SkinImage {
  public:
    SkinImage() = default;
    static SkinImage load(const QString& path);

    bool isEmpty() const { return image_.isNull(); }
    int width() const { return size().width(); }
    int height() const { return size().height(); }
    QSize size() const { return image_.deviceIndependentSize().toSize(); }
    const QImage& image() const { return image_; }

    // Copies the whole image at its natural size with its top-left corner at (x, y).
    void draw(QPainter& painter, int x, int y) const;

  private:
    explicit SkinImage(QImage image) : image_(std::move(image)) {}
    QImage image_;
};

// Puts a window's composed picture on it: pixel for pixel where the picture has the screen's
// density, smoothly scaled where it has not (a 2x picture on a screen at 125 % or 150 %).
void showComposed(QWidget& window, const QImage& picture);

// Draws the part source of picture, given in the picture's logical pixels, into target; a
// dense picture holds twice the pixels of that part.
void drawImagePart(QPainter& painter, const QRectF& target, const QImage& picture,
                   const QRect& source);

// The name of the image's dense twin: "name@2x.png" for "name.png".
QString denseSkinName(const QString& path);

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
