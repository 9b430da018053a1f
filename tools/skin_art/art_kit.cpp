#include "art_kit.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLinearGradient>
#include <QPainterPath>
#include <QRadialGradient>
#include <cstdio>
#include <cstdlib>

namespace art {

QImage canvas(int width, int height, qreal scale) {
    QImage image(qRound(width * scale), qRound(height * scale), QImage::Format_RGB32);
    image.setDevicePixelRatio(scale);
    image.fill(Qt::black);
    return image;
}

QImage filled(int width, int height, const QColor& colour, qreal scale) {
    QImage image = canvas(width, height, scale);
    image.fill(colour);
    return image;
}

QImage cropOf(const QImage& under, int x, int y, int width, int height) {
    const qreal scale = under.devicePixelRatio();
    QImage image = under
                       .copy(qRound(x * scale), qRound(y * scale), qRound(width * scale),
                             qRound(height * scale))
                       .convertToFormat(QImage::Format_RGB32);
    image.setDevicePixelRatio(scale);
    return image;
}

namespace {

[[noreturn]] void cannotWrite(const QString& path) {
    std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    std::exit(1);
}

}  // namespace

void save(const QImage& image, const QString& path) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QString named = path;
    if (image.devicePixelRatio() > 1) {
        const qsizetype dot = named.lastIndexOf(u'.');
        named.insert(dot < 0 ? named.size() : dot,
                     QStringLiteral("@%1x").arg(qRound(image.devicePixelRatio())));
    }
    if (!image.save(named, "PNG")) cannotWrite(named);
}

void saveBytes(const QByteArray& bytes, const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) cannotWrite(path);
}

QPainter& prepare(QPainter& painter) {
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    return painter;
}

QFont font(int pixelHeight, int weight, bool italic) {
    QFont f(QStringLiteral("Arial"));
    f.setPixelSize(pixelHeight);
    f.setWeight(static_cast<QFont::Weight>(weight));
    f.setItalic(italic);
    f.setStyleStrategy(QFont::PreferAntialias);
    return f;
}

QFont chineseFont(int pixelHeight, int weight) {
    QFont f(QStringLiteral("WenQuanYi Micro Hei"));
    f.setPixelSize(pixelHeight);
    f.setWeight(static_cast<QFont::Weight>(weight));
    return f;
}

void roundedBox(QPainter& painter, const QRectF& rect, qreal radius, const QColor& top,
                const QColor& bottom, const QColor& border) {
    QLinearGradient gradient(rect.topLeft(), rect.bottomLeft());
    gradient.setColorAt(0, top);
    gradient.setColorAt(1, bottom);
    painter.setPen(QPen(border, 1));
    painter.setBrush(gradient);
    painter.drawRoundedRect(rect.adjusted(0.5, 0.5, -0.5, -0.5), radius, radius);
}

void headerBar(QPainter& painter, const QRectF& rect, bool open) {
    roundedBox(painter, rect, 3, colour::kHeaderTop, colour::kHeaderBottom, colour::kPanelBorder);
    painter.fillRect(QRectF(rect.left() + 1, rect.top() + 4, 3, rect.height() - 8),
                     open ? colour::kAccent : colour::kAccentDark);
    chevron(painter, QPointF(rect.right() - 12, rect.center().y()), 3.5,
            open ? Direction::Down : Direction::Right, open ? colour::kAccent : colour::kMuted);
}

void pushButton(QPainter& painter, const QRectF& rect, bool hot, bool primary) {
    if (primary) {
        roundedBox(painter, rect, 4, hot ? colour::kAccent : colour::kAccentDark,
                   hot ? colour::kAccentDark : colour::kAccentDeep,
                   hot ? QColor(0x9c, 0xe9, 0xff) : colour::kAccent.darker(130));
    } else {
        roundedBox(painter, rect, 4, hot ? QColor(0x2c, 0x36, 0x4c) : colour::kControl,
                   hot ? QColor(0x1e, 0x27, 0x38) : QColor(0x15, 0x1a, 0x25),
                   hot ? colour::kAccent : colour::kControlBorder);
    }
    // A fine highlight along the top edge.
    painter.setPen(QPen(QColor(255, 255, 255, hot ? 50 : 22), 1));
    painter.drawLine(QPointF(rect.left() + 4, rect.top() + 1.5),
                     QPointF(rect.right() - 4, rect.top() + 1.5));
}

QColor titleButtonBox(QPainter& painter, const QSizeF& size, bool hot, const QColor& hotColour) {
    painter.setPen(QPen(hot ? hotColour.lighter(130) : colour::kControlBorder, 1));
    painter.setBrush(hot ? hotColour : colour::kControl);
    painter.drawRoundedRect(QRectF(QPointF(0.5, 0.5), size - QSizeF(1, 1)), 3, 3);
    return hot ? QColor(0x0a, 0x0c, 0x11) : colour::kText;
}

void cross(QPainter& painter, const QPointF& c, const QColor& ink) {
    painter.setPen(QPen(ink, 1.5, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(c.x() - 3.5, c.y() - 3.5), QPointF(c.x() + 3.5, c.y() + 3.5));
    painter.drawLine(QPointF(c.x() + 3.5, c.y() - 3.5), QPointF(c.x() - 3.5, c.y() + 3.5));
}

void radioMark(QPainter& painter, bool on) {
    painter.setPen(QPen(on ? colour::kAccent : colour::kMuted, 1.2));
    painter.setBrush(on ? QColor(0x0d, 0x26, 0x34) : colour::kControl);
    painter.drawEllipse(QRectF(0.8, 0.6, 9.4, 8.8));
    if (on) {
        glow(painter, QPointF(5.5, 5), 4, colour::kAccent, 160);
        painter.setBrush(colour::kAccent);
        painter.setPen(Qt::NoPen);
        painter.drawEllipse(QPointF(5.5, 5), 2.2, 2.2);
    }
}

void chevron(QPainter& painter, const QPointF& c, qreal s, Direction d, const QColor& colour,
             qreal width) {
    QPainterPath path;
    switch (d) {
        case Direction::Down:
            path.moveTo(c.x() - s, c.y() - s / 2);
            path.lineTo(c.x(), c.y() + s / 2);
            path.lineTo(c.x() + s, c.y() - s / 2);
            break;
        case Direction::Up:
            path.moveTo(c.x() - s, c.y() + s / 2);
            path.lineTo(c.x(), c.y() - s / 2);
            path.lineTo(c.x() + s, c.y() + s / 2);
            break;
        case Direction::Right:
            path.moveTo(c.x() - s / 2, c.y() - s);
            path.lineTo(c.x() + s / 2, c.y());
            path.lineTo(c.x() - s / 2, c.y() + s);
            break;
        case Direction::Left:
            path.moveTo(c.x() + s / 2, c.y() - s);
            path.lineTo(c.x() - s / 2, c.y());
            path.lineTo(c.x() + s / 2, c.y() + s);
            break;
    }
    painter.setPen(QPen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(path);
}

void triangle(QPainter& painter, const QPointF& c, qreal s, Direction d, const QColor& colour) {
    QPolygonF shape;
    switch (d) {
        case Direction::Up:
            shape << QPointF(c.x(), c.y() - s) << QPointF(c.x() + s, c.y() + s * 0.7)
                  << QPointF(c.x() - s, c.y() + s * 0.7);
            break;
        case Direction::Down:
            shape << QPointF(c.x(), c.y() + s) << QPointF(c.x() + s, c.y() - s * 0.7)
                  << QPointF(c.x() - s, c.y() - s * 0.7);
            break;
        case Direction::Left:
            shape << QPointF(c.x() - s, c.y()) << QPointF(c.x() + s * 0.7, c.y() - s)
                  << QPointF(c.x() + s * 0.7, c.y() + s);
            break;
        case Direction::Right:
            shape << QPointF(c.x() + s, c.y()) << QPointF(c.x() - s * 0.7, c.y() - s)
                  << QPointF(c.x() - s * 0.7, c.y() + s);
            break;
    }
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    painter.drawPolygon(shape);
}

void glow(QPainter& painter, const QPointF& centre, qreal radius, const QColor& colour, int alpha) {
    QRadialGradient gradient(centre, radius);
    QColor inner = colour;
    inner.setAlpha(alpha);
    QColor outer = colour;
    outer.setAlpha(0);
    gradient.setColorAt(0, inner);
    gradient.setColorAt(1, outer);
    painter.setPen(Qt::NoPen);
    painter.setBrush(gradient);
    painter.drawEllipse(centre, radius, radius);
}

}  // namespace art
