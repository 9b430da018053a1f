#include "keyboard_art.h"

#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainterPath>

#include "art_kit.h"
#include "keys/key_picture.h"

namespace art {

namespace {

using namespace colour;

struct CapColours {
    QColor top;
    QColor bottom;
    QColor border;
    QColor legend;
    QColor rim;
};

const CapColours kPlainCap{QColor(0x2d, 0x34, 0x47), QColor(0x1d, 0x22, 0x30),
                           QColor(0x3b, 0x45, 0x5c), QColor(0xcf, 0xd7, 0xe6),
                           QColor(0x0b, 0x0d, 0x12)};
const CapColours kLitCap{QColor(0x19, 0xa9, 0xdb), QColor(0x08, 0x62, 0x86),
                         QColor(0x8e, 0xe8, 0xff), QColor(0xff, 0xff, 0xff),
                         QColor(0x04, 0x2c, 0x3d)};

void keycap(QPainter& p, const QRectF& outer, const CapColours& c) {
    // The cap's side (darker rim), then its face inset from the rim.
    p.setPen(Qt::NoPen);
    p.setBrush(c.rim);
    p.drawRoundedRect(outer, 4, 4);
    const QRectF face = outer.adjusted(1.5, 1, -1.5, -3);
    QLinearGradient gradient(face.topLeft(), face.bottomLeft());
    gradient.setColorAt(0, c.top);
    gradient.setColorAt(1, c.bottom);
    p.setPen(QPen(c.border, 1));
    p.setBrush(gradient);
    p.drawRoundedRect(face.adjusted(0.5, 0.5, -0.5, -0.5), 3, 3);
    p.setPen(QPen(QColor(255, 255, 255, 40), 1));
    p.drawLine(QPointF(face.left() + 3, face.top() + 1.5),
               QPointF(face.right() - 3, face.top() + 1.5));
}

void legend(QPainter& p, const QRectF& outer, const QString& text, const QColor& colour) {
    // Names of keys ("Fn" among them) in the smaller size, characters in the larger; either
    // shrinks until it fits inside the cap's face with a pixel to spare on each side.
    const bool word = text.size() > 2 || text == QStringLiteral("Fn");
    const QRectF face = outer.adjusted(1, 1, -1, -3);
    int size = word ? 9 : 11;
    QFont legendFont = font(size, QFont::DemiBold);
    while (size > 6 && QFontMetricsF(legendFont).horizontalAdvance(text) > face.width() - 4) {
        legendFont = font(--size, QFont::DemiBold);
    }
    p.setFont(legendFont);
    p.setPen(colour);
    p.drawText(face, Qt::AlignCenter, text);
}

// The four media keys above the number pad: volume down, media player, play/pause,
// volume up.
void mediaIcon(QPainter& p, const QPointF& c, int which, const QColor& colour) {
    p.setPen(QPen(colour, 1.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    const auto speaker = [&](const QPointF& at) {
        QPolygonF body;
        body << QPointF(at.x() - 4, at.y() - 2) << QPointF(at.x() - 2, at.y() - 2)
             << QPointF(at.x() + 1, at.y() - 4.5) << QPointF(at.x() + 1, at.y() + 4.5)
             << QPointF(at.x() - 2, at.y() + 2) << QPointF(at.x() - 4, at.y() + 2);
        p.setBrush(colour);
        p.drawPolygon(body);
        p.setBrush(Qt::NoBrush);
    };
    switch (which) {
        case 0:
            speaker(QPointF(c.x() - 2, c.y()));
            p.drawLine(QPointF(c.x() + 2.5, c.y()), QPointF(c.x() + 6, c.y()));
            break;
        case 1:
            p.drawEllipse(QPointF(c.x() - 2.5, c.y() + 3), 2, 1.6);
            p.drawLine(QPointF(c.x() - 0.5, c.y() + 3), QPointF(c.x() - 0.5, c.y() - 4.5));
            p.drawLine(QPointF(c.x() - 0.5, c.y() - 4.5), QPointF(c.x() + 4, c.y() - 3));
            break;
        case 2:
            triangle(p, QPointF(c.x() - 2.5, c.y()), 3.5, Direction::Right, colour);
            p.setPen(QPen(colour, 1.6));
            p.drawLine(QPointF(c.x() + 2.5, c.y() - 3.5), QPointF(c.x() + 2.5, c.y() + 3.5));
            p.drawLine(QPointF(c.x() + 5, c.y() - 3.5), QPointF(c.x() + 5, c.y() + 3.5));
            break;
        default:
            speaker(QPointF(c.x() - 2, c.y()));
            p.drawLine(QPointF(c.x() + 2.5, c.y()), QPointF(c.x() + 6.5, c.y()));
            p.drawLine(QPointF(c.x() + 4.5, c.y() - 2), QPointF(c.x() + 4.5, c.y() + 2));
            break;
    }
}

QRectF keyRect(const tq260::KeyRectangle& r) {
    return QRectF(r.left, r.top, r.right - r.left + 1, r.bottom - r.top + 1);
}

QImage keyboard(const QImage& under, const CapColours& caps) {
    QImage image = cropOf(under, tq260::kKeyboardPictureX, tq260::kKeyboardPictureY, kKeyboardWidth,
                          kKeyboardHeight);
    QPainter p(&image);
    prepare(p);

    // The case, with the lighting strip along its top edge.
    const QRectF body(12, 58, kKeyboardWidth - 24, kKeyboardHeight - 62);
    glow(p, QPointF(body.center().x(), body.bottom()), 340, kAccent, 18);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 110));
    p.drawRoundedRect(body.translated(0, 4), 12, 12);
    roundedBox(p, body, 12, QColor(0x1d, 0x23, 0x31), QColor(0x10, 0x13, 0x1b),
               QColor(0x30, 0x39, 0x4d));
    QLinearGradient strip(body.left() + 20, 0, body.right() - 20, 0);
    strip.setColorAt(0, QColor(kAccent.red(), kAccent.green(), kAccent.blue(), 0));
    strip.setColorAt(0.5, kAccent);
    strip.setColorAt(1, QColor(kAccent.red(), kAccent.green(), kAccent.blue(), 0));
    p.fillRect(QRectF(body.left() + 20, body.top() + 1, body.width() - 40, 1.5), strip);
    p.setFont(font(8, QFont::Bold));
    p.setPen(kMuted);
    p.drawText(QPointF(30, 71), QStringLiteral("V A N T O R"));
    for (int led = 0; led < 3; ++led) {
        const QPointF at(595 + led * 18, 67);
        glow(p, at, 5, kAccent, 120);
        p.setBrush(kAccent);
        p.drawEllipse(at, 1.6, 1.6);
    }

    for (std::size_t key = 0; key < tq260::kKeyCount; ++key) {
        const tq260::KeyRectangle& r = tq260::KeyRectangleTable[key];
        if (r.isEmpty()) continue;
        const QRectF outer = keyRect(r);
        keycap(p, outer, caps);
        const auto& label = tq260::KeyLabelTable[key].text;
        legend(p, outer, QString::fromUtf16(label.data(), static_cast<qsizetype>(label.size())),
               caps.legend);
    }
    for (int media = 0; media < 4; ++media) {
        const QRectF outer(532 + media * 27.3, 79, 24, 21);
        keycap(p, outer, caps);
        mediaIcon(p, QPointF(outer.center().x(), outer.center().y() - 1), media, caps.legend);
    }
    return image;
}

}  // namespace

QImage keyboardPicture(const QImage& under) {
    return keyboard(under, kPlainCap);
}

QImage highlightedKeyboardPicture(const QImage& under) {
    return keyboard(under, kLitCap);
}

}  // namespace art
