#include "resource_art.h"

#include <QDir>
#include <QLinearGradient>
#include <QPainterPath>

#include "art_kit.h"

namespace art {

namespace {

using namespace colour;

const QColor kTreeBackground(0x1e, 0x1e, 0x1e);

QImage transparent(int w, int h) {
    QImage image(w, h, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    return image;
}

void channel(const QString& path, bool filledTrack) {
    QImage image = filled(220, 17, kBody);
    QPainter p(&image);
    prepare(p);
    const QRectF groove(1, 6, 218, 5);
    if (filledTrack) {
        QLinearGradient light(0, 0, 220, 0);
        light.setColorAt(0, kAccentDark);
        light.setColorAt(1, kAccent);
        p.setPen(Qt::NoPen);
        p.setBrush(light);
        p.drawRoundedRect(groove, 2.5, 2.5);
    } else {
        p.setPen(QPen(kControlBorder, 1));
        p.setBrush(QColor(0x1a, 0x1f, 0x2b));
        p.drawRoundedRect(groove.adjusted(0.5, 0.5, -0.5, -0.5), 2.5, 2.5);
    }
    save(image, path);
}

void expandBox(const QString& path, bool expanded) {
    QImage image = filled(9, 9, kTreeBackground);
    QPainter p(&image);
    p.setPen(QPen(kMuted, 1));
    p.drawRect(0, 0, 8, 8);
    p.setPen(QPen(kAccent, 1));
    p.drawLine(2, 4, 6, 4);
    if (!expanded) p.drawLine(4, 2, 4, 6);
    save(image, path);
}

void arrowIcon(const QString& path, Direction direction, const QColor& colour) {
    QImage image = transparent(10, 14);
    QPainter p(&image);
    prepare(p);
    const bool down = direction == Direction::Down;
    p.setPen(QPen(colour, 2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(5, down ? 1.5 : 12.5), QPointF(5, down ? 8 : 6));
    triangle(p, QPointF(5, down ? 9.5 : 4.5), 4, direction, colour);
    save(image, path);
}

// The program's icon, a key cap with the accent light, drawn for any size from its 64-pixel
// design so every size is sharp.
QImage applicationIcon(int size) {
    QImage image = transparent(size, size);
    QPainter p(&image);
    prepare(p);
    p.scale(size / 64.0, size / 64.0);
    roundedBox(p, QRectF(4, 8, 56, 50), 12, QColor(0x2d, 0x34, 0x47), QColor(0x12, 0x16, 0x20),
               kAccent);
    p.fillRect(QRectF(14, 48, 36, 3), kAccent);
    p.setPen(Qt::white);
    p.setFont(font(22, QFont::Black, true));
    p.drawText(QRectF(4, 8, 56, 40), Qt::AlignCenter, QStringLiteral("TQ"));
    p.end();
    return image;
}

}  // namespace

void writeResourceArt(const QString& folder) {
    save(applicationIcon(64), folder + "128.png");
    // The desktop's icon theme sizes, for the menu entry and the package.
    for (const int size : kDesktopIconSizes) {
        const QString sized = QStringLiteral("%1icons/hicolor/%2x%2/apps/").arg(folder).arg(size);
        QDir().mkpath(sized);
        save(applicationIcon(size), sized + "org.tq260.vantor.png");
    }
    arrowIcon(folder + "131.png", Direction::Down, kAccent);
    expandBox(folder + "133.png", false);
    expandBox(folder + "134.png", true);
    {  // The delay icon: a small clock.
        QImage image = transparent(14, 14);
        QPainter p(&image);
        prepare(p);
        p.setPen(QPen(kMuted, 1.4));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QPointF(7, 7), 5.5, 5.5);
        p.setPen(QPen(kText, 1.4, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(7, 7), QPointF(7, 3.5));
        p.drawLine(QPointF(7, 7), QPointF(9.5, 8.5));
        save(image, folder + "137.png");
    }
    arrowIcon(folder + "138.png", Direction::Up, QColor(0xff, 0xb0, 0x3b));
    channel(folder + "139.png", false);
    channel(folder + "140.png", true);
    {
        QImage image = filled(15, 14, kBody);
        QPainter p(&image);
        prepare(p);
        roundedBox(p, QRectF(2, 1, 11, 12), 3, QColor(0xe9, 0xf9, 0xff), kAccent,
                   QColor(0x9c, 0xe9, 0xff));
        save(image, folder + "141.png");
    }
    {  // What the macro lists show through: the inset they sit in.
        QImage image = filled(127, 305, kBody);
        QPainter p(&image);
        prepare(p);
        QLinearGradient shade(0, 0, 0, 305);
        shade.setColorAt(0, QColor(255, 255, 255, 10));
        shade.setColorAt(1, QColor(255, 255, 255, 0));
        p.fillRect(image.rect(), shade);
        save(image, folder + "145.png");
    }
}

}  // namespace art
