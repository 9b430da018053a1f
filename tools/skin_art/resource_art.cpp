#include "resource_art.h"

#include <QDir>
#include <QLinearGradient>
#include <QPainterPath>

#include "art_kit.h"
#include "windows_icon.h"

namespace art {

namespace {

using namespace colour;

const QColor kTreeBackground(0x1e, 0x1e, 0x1e);

QImage transparent(int w, int h, qreal scale) {
    QImage image(qRound(w * scale), qRound(h * scale), QImage::Format_ARGB32);
    image.setDevicePixelRatio(scale);
    image.fill(Qt::transparent);
    return image;
}

void channel(const QString& path, bool filledTrack, qreal scale) {
    QImage image = filled(220, 17, kBody, scale);
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

void expandBox(const QString& path, bool expanded, qreal scale) {
    QImage image = filled(9, 9, kTreeBackground, scale);
    QPainter p(&image);
    // Filled pixel rectangles, not pen lines: exact whole pixels at 1x and at 2x alike.
    for (const QRect& edge :
         {QRect(0, 0, 9, 1), QRect(0, 8, 9, 1), QRect(0, 0, 1, 9), QRect(8, 0, 1, 9)}) {
        p.fillRect(edge, kMuted);
    }
    p.fillRect(QRect(2, 4, 5, 1), kAccent);
    if (!expanded) p.fillRect(QRect(4, 2, 1, 5), kAccent);
    save(image, path);
}

void arrowIcon(const QString& path, Direction direction, const QColor& colour, qreal scale) {
    QImage image = transparent(10, 14, scale);
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
QImage applicationIcon(int size, qreal scale = 1) {
    QImage image = transparent(size, size, scale);
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
    // The desktop's icon theme sizes, for the menu entry and the package.
    for (const int size : kDesktopIconSizes) {
        const QString sized = QStringLiteral("%1icons/hicolor/%2x%2/apps/").arg(folder).arg(size);
        QDir().mkpath(sized);
        save(applicationIcon(size), sized + "org.tq260.vantor.png");
    }
    // The same for Windows, in one file: the executable's icon and the installer's.
    QList<QImage> windowsSizes;
    for (const int size : {16, 24, 32, 48, 256}) windowsSizes << applicationIcon(size);
    saveBytes(windowsIcon(windowsSizes), folder + "tq260.ico");
    // Each built-in picture at 1x, and at 2x for dense screens ("name@2x.png").
    for (const qreal scale : {1.0, 2.0}) {
        save(applicationIcon(64, scale), folder + "128.png");
        arrowIcon(folder + "131.png", Direction::Down, kAccent, scale);
        expandBox(folder + "133.png", false, scale);
        expandBox(folder + "134.png", true, scale);
        {  // The delay icon: a small clock.
            QImage image = transparent(14, 14, scale);
            QPainter p(&image);
            prepare(p);
            p.setPen(QPen(kMuted, 1.4));
            p.setBrush(Qt::NoBrush);
            p.drawEllipse(QPointF(7, 7), 5.5, 5.5);
            p.setPen(QPen(kText, 1.4, Qt::SolidLine, Qt::RoundCap));
            p.drawLine(QPointF(7, 7), QPointF(7, 3.5));
            p.drawLine(QPointF(7, 7), QPointF(9.5, 8.5));
            p.end();
            save(image, folder + "137.png");
        }
        arrowIcon(folder + "138.png", Direction::Up, QColor(0xff, 0xb0, 0x3b), scale);
        channel(folder + "139.png", false, scale);
        channel(folder + "140.png", true, scale);
        {
            QImage image = filled(15, 14, kBody, scale);
            QPainter p(&image);
            prepare(p);
            roundedBox(p, QRectF(2, 1, 11, 12), 3, QColor(0xe9, 0xf9, 0xff), kAccent,
                       QColor(0x9c, 0xe9, 0xff));
            p.end();
            save(image, folder + "141.png");
        }
        {  // What the macro lists show through: the inset they sit in.
            QImage image = filled(127, 305, kBody, scale);
            QPainter p(&image);
            prepare(p);
            QLinearGradient shade(0, 0, 0, 305);
            shade.setColorAt(0, QColor(255, 255, 255, 10));
            shade.setColorAt(1, QColor(255, 255, 255, 0));
            p.fillRect(QRectF(0, 0, 127, 305), shade);
            p.end();
            save(image, folder + "145.png");
        }
    }
}

}  // namespace art
