#include "dialog_art.h"

#include <QLinearGradient>
#include <QPainterPath>

#include "art_kit.h"

namespace art {

namespace {

using namespace colour;

// A dialog's frame: dark body, title strip with an accent line, thin border.
QImage dialogBase(int width, int height, int titleHeight, qreal scale) {
    QImage image = canvas(width, height, scale);
    QPainter p(&image);
    prepare(p);
    QLinearGradient body(0, 0, 0, height);
    body.setColorAt(0, QColor(0x16, 0x1b, 0x26));
    body.setColorAt(1, QColor(0x0c, 0x0f, 0x15));
    p.fillRect(QRect(0, 0, width, height), body);
    glow(p, QPointF(width * 0.8, 0), width * 0.7, kAccent, 20);
    p.fillRect(QRect(0, 0, width, titleHeight), kTitleBar);
    p.fillRect(QRect(0, titleHeight, width, 1),
               QColor(kAccent.red(), kAccent.green(), kAccent.blue(), 150));
    p.setPen(QPen(kControlBorder, 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(0.5, 0.5, width - 1, height - 1));
    return image;
}

void inset(QPainter& p, const QRectF& rect) {
    roundedBox(p, rect, 4, kBody, kBody, kPanelBorder);
}

void closeButton(const QImage& under, const QString& path, int x, int y, int w, int h, bool hot) {
    QImage image = cropOf(under, x, y, w, h);
    QPainter p(&image);
    prepare(p);
    cross(p, QPointF(w / 2.0, h / 2.0), titleButtonBox(p, QSizeF(w, h), hot, kDanger));
    save(image, path);
}

void button(const QImage& under, const QString& path, int x, int y, int w, int h, bool hot,
            bool primary) {
    QImage image = cropOf(under, x, y, w, h);
    QPainter p(&image);
    prepare(p);
    pushButton(p, QRectF(0, 0, w, h), hot, primary);
    save(image, path);
}

void radio(const QImage& under, const QString& path, int x, int y, bool on) {
    QImage image = cropOf(under, x, y, 11, 10);
    QPainter p(&image);
    prepare(p);
    radioMark(p, on);
    save(image, path);
}

}  // namespace

void writeKeyAssignmentArt(const QString& folder, bool, qreal scale) {
    constexpr int kWidth = 326;
    constexpr int kHeight = 280;
    QImage base = dialogBase(kWidth, kHeight, 28, scale);
    {
        QPainter p(&base);
        prepare(p);
        p.fillRect(QRect(1, 29, kWidth - 2, 29), QColor(0x0f, 0x12, 0x19));
        inset(p, QRectF(8, 60, kWidth - 16, 178));
        p.fillRect(QRect(1, 240, kWidth - 2, 1), kPanelBorder);
    }
    save(base, folder + "MainBK.png");
    save(base, folder + "自定义底.png");
    closeButton(base, folder + "button-close-normal.png", 303, 2, 16, 16, false);
    closeButton(base, folder + "button-close-over.png", 303, 2, 16, 16, true);
    {  // A tab; drawn left to right, each tab covers the right part of the one before.
        QImage image = cropOf(base, 0, 31, 163, 27);
        QPainter p(&image);
        prepare(p);
        QLinearGradient tab(0, 0, 0, 27);
        tab.setColorAt(0, QColor(0x22, 0x29, 0x3a));
        tab.setColorAt(1, QColor(0x15, 0x1a, 0x25));
        p.fillRect(QRect(0, 1, 163, 26), tab);
        p.fillRect(QRect(0, 1, 1, 26), kControlBorder);
        p.fillRect(QRect(0, 1, 163, 1), QColor(255, 255, 255, 25));
        save(image, folder + "large_button.png");
    }
    {
        QImage image = canvas(100, 3, scale);
        QPainter p(&image);
        QLinearGradient bar(0, 0, 100, 0);
        bar.setColorAt(0, kAccentDark);
        bar.setColorAt(0.5, kAccent);
        bar.setColorAt(1, kAccentDark);
        p.fillRect(QRect(0, 0, 100, 3), bar);
        save(image, folder + "cursor.png");
    }
    {
        QImage image = cropOf(base, 0, 30, kWidth, 7);
        QPainter p(&image);
        p.fillRect(QRect(0, 5, kWidth, 2), kAccentDark);
        p.fillRect(QRect(0, 6, kWidth, 1), kAccent);
        save(image, folder + "单键-组合键-功能选项.png");
    }
    radio(base, folder + "Disable.png", 19, 251, false);
    radio(base, folder + "Enable.png", 19, 251, true);
    for (bool hot : {false, true}) {
        const QString state = hot ? "over" : "normal";
        // 50 wide, for the labels the dialog writes on them.
        button(base, folder + "button-cancel-" + state + ".png", 156, 246, 50, 23, hot, false);
        button(base, folder + "button-save-" + state + ".png", 264, 246, 50, 23, hot, true);
        QImage browse = cropOf(base, 256, 68, 47, 16);
        QPainter p(&browse);
        prepare(p);
        pushButton(p, QRectF(0, 0, 47, 16), hot);
        p.setPen(Qt::NoPen);
        p.setBrush(hot ? kAccent : kText);
        for (int dot = 0; dot < 3; ++dot) p.drawEllipse(QPointF(17.5 + dot * 6, 8.5), 1.4, 1.4);
        p.end();
        save(browse, folder + (hot ? "浏览02.png" : "浏览.png"));
    }
}

void writeMacroManagerArt(const QString& folder, bool, qreal scale) {
    constexpr int kWidth = 420;
    constexpr int kHeight = 436;
    QImage base = dialogBase(kWidth, kHeight, 34, scale);
    {
        QPainter p(&base);
        prepare(p);
        // The two lists sit in insets; their own background matches the inset.
        inset(p, QRectF(17, 77, 119, 281));
        inset(p, QRectF(147, 77, 119, 281));
        roundedBox(p, QRectF(282, 56, 132, 300), 6, QColor(0x18, 0x1d, 0x29),
                   QColor(0x12, 0x16, 0x1f), kPanelBorder);
        p.fillRect(QRectF(283, 81, 130, 1), kPanelBorder);
        p.fillRect(QRectF(283, 292, 130, 1), kPanelBorder);
        roundedBox(p, QRectF(295, 330, 86, 20), 3, kBody, kBody, kControlBorder);
        p.fillRect(QRect(1, 360, kWidth - 2, 1), kPanelBorder);
    }
    save(base, folder + "MacroManagement.png");
    for (const char* state : {"normal", "over", "leave"}) {
        const bool hot = QString::fromLatin1(state) == "over";
        // Wider than its hot area, so "Start Recording" fits on it.
        QImage record = cropOf(base, 290, 100, 116, 25);
        QPainter p(&record);
        prepare(p);
        roundedBox(p, QRectF(0, 0, 116, 25), 4, hot ? kRecord : QColor(0x3a, 0x16, 0x1d),
                   hot ? kRecord.darker(160) : QColor(0x24, 0x0e, 0x13),
                   hot ? QColor(0xff, 0x8a, 0x96) : QColor(0x6b, 0x26, 0x31));
        p.end();
        save(record, folder + "Record-" + state + ".png");
        QImage button = cropOf(base, 20, 368, 58, 25);
        QPainter b(&button);
        prepare(b);
        pushButton(b, QRectF(0, 0, 58, 25), hot);
        b.end();
        save(button, folder + "button-new-" + state + ".png");
    }
    for (bool ticked : {false, true}) {
        QImage pane = cropOf(base, 296, 315, 15, 15);
        QPainter p(&pane);
        prepare(p);
        roundedBox(p, QRectF(0, 0, 15, 15), 3, ticked ? QColor(0x0d, 0x26, 0x34) : kControl,
                   ticked ? QColor(0x0d, 0x26, 0x34) : kBody, ticked ? kAccent : kMuted);
        if (ticked) {
            QPainterPath tick;
            tick.moveTo(3.5, 7.5);
            tick.lineTo(6.5, 10.5);
            tick.lineTo(11.5, 4);
            p.setPen(QPen(kAccent, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            p.setBrush(Qt::NoBrush);
            p.drawPath(tick);
        }
        p.end();
        save(pane, folder + (ticked ? "PaneMakingTick.png" : "Pane.png"));
    }
}

void writeProfileArt(const QString& folder, bool, qreal scale) {
    constexpr int kWidth = 264;
    constexpr int kHeight = 632;
    QImage base = dialogBase(kWidth, kHeight, 32, scale);
    {
        QPainter p(&base);
        prepare(p);
        // Under the list (1, 34, 260 x 540): its rows show on this.
        QLinearGradient under(0, 34, 0, 574);
        under.setColorAt(0, QColor(0x13, 0x17, 0x21));
        under.setColorAt(1, kBody);
        p.fillRect(QRect(1, 34, 260, 540), under);
        p.fillRect(QRect(1, 574, 262, 1), kPanelBorder);
    }
    save(base, folder + "Config.png");
    closeButton(base, folder + "button-close-normal.png", 247, 10, 16, 15, false);
    for (const auto& [name, x, plus] :
         {std::tuple{"New.png", 13, true}, std::tuple{"Delete.png", 183, false}}) {
        QImage image = cropOf(base, x, 575, 67, 50);
        QPainter p(&image);
        prepare(p);
        pushButton(p, QRectF(0, 0, 67, 50), false, plus);
        const QPointF c(33.5, 34);
        p.setPen(QPen(plus ? Qt::white : kText, 2, Qt::SolidLine, Qt::RoundCap));
        if (plus) {
            p.drawLine(QPointF(c.x() - 6, c.y()), QPointF(c.x() + 6, c.y()));
            p.drawLine(QPointF(c.x(), c.y() - 6), QPointF(c.x(), c.y() + 6));
        } else {
            p.setPen(QPen(kText, 1.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            p.drawLine(QPointF(c.x() - 7, c.y() - 6), QPointF(c.x() + 7, c.y() - 6));
            p.drawRect(QRectF(c.x() - 5, c.y() - 4, 10, 11));
            p.drawLine(QPointF(c.x() - 2, c.y() - 8), QPointF(c.x() + 2, c.y() - 8));
        }
        p.end();
        save(image, folder + name);
    }
}

}  // namespace art
