#pragma once

#include <QByteArray>
#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QString>

// The look shared by every skin image: a dark gaming palette with one cyan accent.
namespace art {

namespace colour {
inline const QColor kBackgroundTop(0x12, 0x16, 0x20);
inline const QColor kBackgroundBottom(0x0a, 0x0c, 0x11);
inline const QColor kTitleBar(0x0d, 0x10, 0x16);
inline const QColor kPanel(0x14, 0x18, 0x22);
inline const QColor kPanelBorder(0x23, 0x2a, 0x39);
inline const QColor kBody(0x0f, 0x12, 0x1a);
inline const QColor kHeaderTop(0x20, 0x27, 0x37);
inline const QColor kHeaderBottom(0x17, 0x1c, 0x28);
inline const QColor kAccent(0x1e, 0xc8, 0xff);
inline const QColor kAccentDark(0x0b, 0x6a, 0x8f);
inline const QColor kAccentDeep(0x07, 0x3d, 0x55);
inline const QColor kText(0xe6, 0xeb, 0xf5);
inline const QColor kMuted(0x7f, 0x8a, 0xa3);
inline const QColor kControl(0x1c, 0x22, 0x30);
inline const QColor kControlBorder(0x33, 0x3c, 0x51);
inline const QColor kDanger(0xe5, 0x48, 0x4d);
inline const QColor kRecord(0xd9, 0x3a, 0x4a);
}  // namespace colour

// A fresh opaque image of width x height logical pixels at scale (1, or 2 for screens of
// twice the density): it holds scale times the pixels each way, and painters draw on it in
// logical pixels, so the same drawing code makes both.
QImage canvas(int width, int height, qreal scale);
// A fresh opaque canvas filled with one colour.
QImage filled(int width, int height, const QColor& colour, qreal scale = 1);
// The part of a larger picture that an image will be drawn over, as its starting canvas;
// in logical pixels, at the picture's scale.
QImage cropOf(const QImage& under, int x, int y, int width, int height);
// Writes a PNG, creating its folder; an image at scale 2 goes beside it as "name@2x.png",
// the name Qt looks for on such screens.
void save(const QImage& image, const QString& path);
// Writes a file as it is, in a folder that is there.
void saveBytes(const QByteArray& bytes, const QString& path);

QPainter& prepare(QPainter& painter);  // antialiasing on
QFont font(int pixelHeight, int weight = QFont::Normal, bool italic = false);
QFont chineseFont(int pixelHeight, int weight = QFont::Normal);

// A rounded rectangle with a vertical gradient and a one-pixel border.
void roundedBox(QPainter& painter, const QRectF& rect, qreal radius, const QColor& top,
                const QColor& bottom, const QColor& border);
// A section header bar: gradient, accent mark on the left, chevron on the right.
void headerBar(QPainter& painter, const QRectF& rect, bool open);
// A small push button: dark, or lit when hot.
void pushButton(QPainter& painter, const QRectF& rect, bool hot, bool primary = false);

// The small square buttons of title bars: dark, or filled with hotColour when hot. Returns
// the ink its glyph is drawn in.
QColor titleButtonBox(QPainter& painter, const QSizeF& size, bool hot, const QColor& hotColour);
// The close glyph.
void cross(QPainter& painter, const QPointF& centre, const QColor& ink);
// The 11 x 10 radio mark of Enable.png (on) and Disable.png (off).
void radioMark(QPainter& painter, bool on);

enum class Direction { Up, Down, Left, Right };
void chevron(QPainter& painter, const QPointF& centre, qreal size, Direction direction,
             const QColor& colour, qreal width = 1.6);
void triangle(QPainter& painter, const QPointF& centre, qreal size, Direction direction,
              const QColor& colour);
// A soft glow of the accent colour.
void glow(QPainter& painter, const QPointF& centre, qreal radius, const QColor& colour, int alpha);

}  // namespace art
