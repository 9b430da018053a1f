#include "main_window_art.h"

#include <QLinearGradient>
#include <QPainterPath>

#include "art_kit.h"
#include "keyboard_art.h"
#include "keys/key_picture.h"

namespace art {

namespace {

using namespace colour;

constexpr int kWidth = 1000;
constexpr int kHeight = 640;
constexpr int kColumnX = 19;
constexpr int kColumnWidth = 242;
const QRect kColumnPanel(10, 102, 260, 488);

QString title(bool chinese) {
    return chinese ? QStringLiteral("TQ260 104vez星岚版") : QStringLiteral("TQ260 104vez VANTOR");
}

QImage mainBase(bool chinese, qreal scale) {
    QImage image = canvas(kWidth, kHeight, scale);
    QPainter p(&image);
    prepare(p);
    QLinearGradient background(0, 0, 0, kHeight);
    background.setColorAt(0, kBackgroundTop);
    background.setColorAt(1, kBackgroundBottom);
    p.fillRect(QRect(0, 0, kWidth, kHeight), background);

    // Light falls on the keyboard from above.
    glow(p, QPointF(630, 230), 420, kAccent, 16);

    // Title bar with its accent line.
    p.fillRect(QRect(0, 0, kWidth, 27), kTitleBar);
    QLinearGradient line(0, 0, kWidth, 0);
    line.setColorAt(0, QColor(kAccent.red(), kAccent.green(), kAccent.blue(), 30));
    line.setColorAt(0.3, kAccent);
    line.setColorAt(1, QColor(kAccent.red(), kAccent.green(), kAccent.blue(), 20));
    p.fillRect(QRect(0, 27, kWidth, 1), line);
    p.setFont(chinese ? chineseFont(12) : font(12, QFont::DemiBold));
    p.setPen(kMuted);
    p.drawText(QRect(294, 0, 400, 27), Qt::AlignVCenter | Qt::AlignLeft, title(chinese));
    QPainterPath cut;
    cut.moveTo(900, 0);
    cut.lineTo(920, 27);
    cut.lineTo(kWidth, 27);
    cut.lineTo(kWidth, 0);
    p.fillPath(cut, QColor(0x16, 0x1b, 0x26));

    // The left column that holds the lighting and performance sections.
    p.setPen(QPen(kPanelBorder, 1));
    p.setBrush(kPanel);
    p.drawRoundedRect(QRectF(kColumnPanel).adjusted(0.5, 0.5, -0.5, -0.5), 8, 8);

    // A faint grid under the keyboard.
    p.setPen(QPen(QColor(255, 255, 255, 9), 1));
    for (int x = 300; x < 990; x += 24) p.drawLine(x, 392, x, 585);
    for (int y = 392; y < 586; y += 24) p.drawLine(300, y, 988, y);
    glow(p, QPointF(640, 392), 320, kAccent, 22);
    p.fillRect(QRect(300, 391, 688, 1), QColor(kAccent.red(), kAccent.green(), kAccent.blue(), 70));

    // Bottom bar.
    p.fillRect(QRect(0, 596, kWidth, kHeight - 596), kTitleBar);
    p.fillRect(QRect(0, 596, kWidth, 1), kPanelBorder);
    p.fillRect(QRect(0, 596, 260, 1), QColor(kAccent.red(), kAccent.green(), kAccent.blue(), 120));
    return image;
}

// A column element's canvas: the column panel behind it (the same at every height).
QImage columnCrop(const QImage& base, int x, int width, int height) {
    return cropOf(base, x, 300, width, height);
}

// A section body: a dark inset box.
QImage sectionBody(const QImage& base, int height) {
    QImage image = columnCrop(base, kColumnX, kColumnWidth, height);
    QPainter p(&image);
    prepare(p);
    roundedBox(p, QRectF(0, 0, kColumnWidth, height), 4, kBody, kBody, kPanelBorder);
    return image;
}

// A header with its section below it, open or not.
QImage section(const QImage& base, int height, bool open) {
    QImage image = open ? sectionBody(base, height) : columnCrop(base, kColumnX, kColumnWidth, 20);
    QPainter p(&image);
    prepare(p);
    headerBar(p, QRectF(0, 0, kColumnWidth, 20), open);
    return image;
}

void titleButton(const QImage& base, const QString& folder, const QString& name, int x, bool hot,
                 const QColor& hotColour, int glyph) {
    QImage image = cropOf(base, x, 5, 17, 16);
    QPainter p(&image);
    prepare(p);
    const QColor ink = titleButtonBox(p, QSizeF(17, 16), hot, hotColour);
    p.setPen(QPen(ink, 1.5, Qt::SolidLine, Qt::RoundCap));
    const QPointF c(8.5, 8);
    if (glyph == 0) {
        p.setFont(font(11, QFont::Bold));
        p.drawText(QRectF(0, 0, 17, 16), Qt::AlignCenter, QStringLiteral("?"));
    } else if (glyph == 1) {
        p.drawLine(QPointF(c.x() - 4, c.y() + 3), QPointF(c.x() + 4, c.y() + 3));
    } else {
        cross(p, c, ink);
    }
    save(image, folder + name);
}

void field(QPainter& p, const QRectF& rect, bool lit) {
    roundedBox(p, rect, 3, lit ? QColor(0x17, 0x3a, 0x4d) : kControl,
               lit ? QColor(0x0d, 0x26, 0x34) : QColor(0x15, 0x1a, 0x25),
               lit ? kAccent : kControlBorder);
    chevron(p, QPointF(rect.right() - 9, rect.center().y() + 0.5), 3, Direction::Down,
            lit ? kAccent : kMuted, 1.4);
}

void directionButton(const QImage& body, const QString& folder, const QString& name,
                     Direction direction, bool on) {
    QImage image = cropOf(body, 10, 67, 36, 16);
    QPainter p(&image);
    prepare(p);
    roundedBox(p, QRectF(0, 0, 36, 16), 7, on ? kAccent : kControl,
               on ? kAccentDark : QColor(0x15, 0x1a, 0x25),
               on ? QColor(0x9c, 0xe9, 0xff) : kControlBorder);
    triangle(p, QPointF(18, 8), 4, direction, on ? QColor(0x06, 0x1a, 0x24) : kMuted);
    save(image, folder + name);
}

void writeSplash(const QString& path, bool chinese, qreal scale) {
    QImage image = canvas(480, 270, scale);
    QPainter p(&image);
    prepare(p);
    QLinearGradient background(0, 0, 480, 270);
    background.setColorAt(0, QColor(0x14, 0x1a, 0x28));
    background.setColorAt(1, QColor(0x06, 0x08, 0x0d));
    p.fillRect(QRect(0, 0, 480, 270), background);
    glow(p, QPointF(360, 60), 260, kAccent, 60);
    // Key rows in perspective as a backdrop.
    p.setPen(QPen(QColor(kAccent.red(), kAccent.green(), kAccent.blue(), 40), 1));
    for (int row = 0; row < 6; ++row) {
        const qreal y = 150 + row * 18;
        for (int key = 0; key < 18; ++key) {
            const qreal x = 40 + key * 24 + row * 6;
            p.drawRoundedRect(QRectF(x, y, 20, 14), 3, 3);
        }
    }
    QLinearGradient fade(0, 140, 0, 270);
    fade.setColorAt(0, QColor(6, 8, 13, 0));
    fade.setColorAt(1, QColor(6, 8, 13, 235));
    p.fillRect(QRect(0, 140, 480, 130), fade);
    p.setPen(Qt::white);
    p.setFont(font(56, QFont::Black, true));
    p.drawText(QPointF(34, 96), QStringLiteral("TQ260"));
    p.fillRect(QRectF(36, 108, 120, 3), kAccent);
    p.setPen(kText);
    p.setFont(chinese ? chineseFont(20, QFont::Bold) : font(20, QFont::DemiBold));
    p.drawText(QPointF(36, 140),
               chinese ? QStringLiteral("104vez 星岚版") : QStringLiteral("104vez VANTOR"));
    p.setPen(kMuted);
    p.setFont(chinese ? chineseFont(12) : font(12));
    p.drawText(QPointF(36, 250), chinese ? QStringLiteral("正在连接键盘…")
                                         : QStringLiteral("Connecting to the keyboard…"));
    p.fillRect(QRectF(36, 258, 408, 2), QColor(0x23, 0x2a, 0x39));
    p.fillRect(QRectF(36, 258, 160, 2), kAccent);
    save(image, path);
}

}  // namespace

void writeMainWindowArt(const QString& folder, bool chinese, qreal scale) {
    const QImage base = mainBase(chinese, scale);
    save(base, folder + "main.png");

    titleButton(base, folder, "button-help-normal.png", 936, false, kAccent, 0);
    titleButton(base, folder, "button-help-over.png", 936, true, kAccent, 0);
    titleButton(base, folder, "button-min-normal.png", 957, false, kAccent, 1);
    titleButton(base, folder, "button-min-over.png", 957, true, kAccent, 1);
    titleButton(base, folder, "button-close-normal.png", 978, false, kDanger, 2);
    titleButton(base, folder, "button-close-over.png", 978, true, kDanger, 2);

    {  // The help menu: three rows of text drawn by the program at y 25, 50 and 75.
        QImage image = cropOf(base, 830, 22, 168, 85);
        QPainter p(&image);
        prepare(p);
        roundedBox(p, QRectF(0, 0, 168, 85), 4, kControl, kBody, kControlBorder);
        p.fillRect(QRectF(1, 4, 3, 77), kAccent);
        p.setPen(QPen(kPanelBorder, 1));
        p.drawLine(QPointF(14, 25.5), QPointF(158, 25.5));
        p.drawLine(QPointF(14, 50.5), QPointF(158, 50.5));
        save(image, folder + "HelpWindow.png");
    }
    {
        QImage image = cropOf(base, 19, 32, 242, 64);
        QPainter p(&image);
        prepare(p);
        p.setPen(Qt::white);
        p.setFont(font(34, QFont::Black, true));
        p.drawText(QPointF(2, 34), QStringLiteral("TQ260"));
        p.fillRect(QRectF(4, 41, 46, 3), kAccent);
        p.fillRect(QRectF(54, 41, 12, 3), kAccentDark);
        p.setPen(kText);
        p.setFont(chinese ? chineseFont(13, QFont::Bold) : font(12, QFont::DemiBold));
        p.drawText(QPointF(4, 60), chinese ? QStringLiteral("104vez 星岚版")
                                           : QStringLiteral("104vez  V A N T O R"));
        p.setPen(kMuted);
        p.setFont(font(10));
        p.drawText(QRectF(120, 8, 118, 30), Qt::AlignRight | Qt::AlignTop,
                   QStringLiteral("GAMING\nKEYBOARD"));
        save(image, folder + "logo.png");
    }
    save(keyboardPicture(base), folder + "kb_BK.png");
    save(highlightedKeyboardPicture(base), folder + "kb_hl.png");

    for (bool hot : {false, true}) {
        const QString state = hot ? "over" : "normal";
        // 61 wide: the labels the program writes on them need the room.
        QImage cancel = cropOf(base, 800, 605, 61, 31);
        QPainter pc(&cancel);
        prepare(pc);
        pushButton(pc, QRectF(0, 0, 61, 31), hot);
        pc.end();
        save(cancel, folder + "button-cancel-" + state + ".png");
        QImage accept = cropOf(base, 924, 605, 61, 31);
        QPainter pa(&accept);
        prepare(pa);
        pushButton(pa, QRectF(0, 0, 61, 31), hot, true);
        pa.end();
        save(accept, folder + "button-save-" + state + ".png");
    }
    {  // The profile button; in English the program writes "Profile" on it.
        QImage image = cropOf(base, 17, 603, 80, 29);
        QPainter p(&image);
        prepare(p);
        pushButton(p, QRectF(0, 0, 80, 29), false);
        for (int sheet = 2; sheet >= 0; --sheet) {
            const QRectF card(6 + sheet * 2.5, 7 + sheet * 2.5 - 2, 11, 13);
            p.setPen(QPen(sheet == 0 ? kAccent : kMuted, 1));
            p.setBrush(sheet == 0 ? QColor(0x0d, 0x26, 0x34) : kControl);
            p.drawRoundedRect(card, 2, 2);
        }
        if (chinese) {
            p.setPen(Qt::white);
            p.setFont(chineseFont(14));
            p.drawText(QRectF(27, 0, 44, 29), Qt::AlignVCenter | Qt::AlignLeft,
                       QStringLiteral("配置"));
        }
        save(image, folder + "Config.png");
    }

    // The left column.
    {
        QImage image = columnCrop(base, kColumnX, kColumnWidth, 20);
        QPainter p(&image);
        prepare(p);
        roundedBox(p, QRectF(0, 0, kColumnWidth, 20), 3, kHeaderTop, kHeaderBottom, kPanelBorder);
        p.fillRect(QRectF(1, 4, 3, 12), kAccent);
        const QColor rgb[] = {QColor(0xff, 0x3b, 0x5c), QColor(0x3b, 0xff, 0x9c), kAccent};
        for (int dot = 0; dot < 3; ++dot) {
            p.setPen(Qt::NoPen);
            p.setBrush(rgb[dot]);
            p.drawEllipse(QPointF(212 + dot * 9, 10), 2.2, 2.2);
        }
        save(image, folder + "itemBK.png");
    }
    const QImage ledBody = sectionBody(base, 180);
    save(ledBody, folder + "LEDEffect_open.png");
    save(section(base, 20, false), folder + "gamemode_Close.png");
    save(section(base, 80, true), folder + "gamemode_open.png");
    save(section(base, 20, false), folder + "responsetime_close.png");
    save(section(base, 80, true), folder + "responsetime_open.png");
    save(section(base, 20, false), folder + "reportrate_Close.png");
    save(section(base, 70, true), folder + "reportrate_Open.png");
    {
        QImage image = columnCrop(base, kColumnX, kColumnWidth, 18);
        QPainter p(&image);
        prepare(p);
        roundedBox(p, QRectF(0, 0, kColumnWidth, 18), 3, kHeaderTop, kHeaderBottom, kPanelBorder);
        save(image, folder + "灯光底.png");
    }

    // The macro manager bar: a panel with a bar button on it.
    QImage macroArea = columnCrop(base, kColumnX, kColumnWidth, 43);
    {
        QPainter p(&macroArea);
        prepare(p);
        roundedBox(p, QRectF(0, 0, kColumnWidth, 43), 4, kBody, kBody, kPanelBorder);
    }
    save(macroArea, folder + "MacroManagementBK.png");
    QImage macroButton = cropOf(macroArea, 0, 10, kColumnWidth, 22);
    {
        QPainter p(&macroButton);
        prepare(p);
        roundedBox(p, QRectF(0, 0, kColumnWidth, 22), 3, QColor(0x1b, 0x2a, 0x3a),
                   QColor(0x12, 0x1b, 0x27), QColor(0x24, 0x4a, 0x60));
        chevron(p, QPointF(kColumnWidth - 12, 11), 3.5, Direction::Right, kAccent);
        chevron(p, QPointF(kColumnWidth - 18, 11), 3.5, Direction::Right, kAccentDark);
    }
    save(macroButton, folder + "MacroButton3.png");
    {
        QImage composed = macroArea;
        QPainter p(&composed);
        p.drawImage(0, 10, macroButton);
        p.end();
        for (bool hot : {false, true}) {
            QImage image = cropOf(composed, 9, 5, 223, 19);
            QPainter q(&image);
            prepare(q);
            if (hot) {
                q.setPen(QPen(kAccent, 1));
                q.setBrush(QColor(kAccent.red(), kAccent.green(), kAccent.blue(), 28));
                q.drawRoundedRect(QRectF(0.5, 0.5, 222, 18), 3, 3);
            }
            save(image, folder + (hot ? "宏管理器按钮-2.png" : "宏管理器按钮-3.png"));
        }
    }

    // Controls on the section bodies.
    for (const auto& [name, lit] :
         {std::pair{"Light_Item.png", false}, std::pair{"灯光选项条.png", false},
          std::pair{"灯光模式选中.png", true}}) {
        QImage image = cropOf(ledBody, 9, 28, 221, 16);
        QPainter p(&image);
        prepare(p);
        field(p, QRectF(0, 0, 221, 16), lit);
        save(image, folder + name);
    }
    for (bool on : {false, true}) {
        const QString state = on ? "Enable" : "Disable";
        directionButton(ledBody, folder, "Direction-T-" + state + ".png", Direction::Up, on);
        directionButton(ledBody, folder, "Direction-B-" + state + ".png", Direction::Down, on);
        directionButton(ledBody, folder, "Direction-L-" + state + ".png", Direction::Left, on);
        directionButton(ledBody, folder, "Direction-R-" + state + ".png", Direction::Right, on);
        QImage image = cropOf(ledBody, 9, 69, 11, 10);
        QPainter p(&image);
        prepare(p);
        radioMark(p, on);
        save(image, folder + state + ".png");
    }
    {
        QImage image = cropOf(ledBody, 9, 128, 218, 23);
        QPainter p(&image);
        prepare(p);
        p.setPen(QPen(QColor(255, 255, 255, 14), 1));
        p.setBrush(QColor(255, 255, 255, 6));
        p.drawRoundedRect(QRectF(0.5, 0.5, 217, 22), 4, 4);
        save(image, folder + "1.png");
    }
    {
        QImage image = cropOf(ledBody, 9, 100, 15, 14);
        QPainter p(&image);
        prepare(p);
        glow(p, QPointF(7.5, 7), 7.5, kAccent, 120);
        roundedBox(p, QRectF(2, 1, 11, 12), 3, QColor(0xe9, 0xf9, 0xff), kAccent,
                   QColor(0x9c, 0xe9, 0xff));
        save(image, folder + "Thumb.png");
    }
    {
        QImage image = cropOf(ledBody, 16, 150, 213, 10);
        QPainter p(&image);
        prepare(p);
        p.setFont(font(8, QFont::DemiBold));
        const char* rates[] = {"125Hz", "250Hz", "500Hz", "1000Hz"};
        for (int i = 0; i < 4; ++i) {
            const qreal x = 4 + i * (205.0 / 3.0);
            p.setPen(kMuted);
            const Qt::Alignment align = i == 0   ? Qt::AlignLeft
                                        : i == 3 ? Qt::AlignRight
                                                 : Qt::AlignHCenter;
            const QRectF box = i == 0   ? QRectF(0, 0, 60, 10)
                               : i == 3 ? QRectF(153, 0, 60, 10)
                                        : QRectF(x - 30, 0, 60, 10);
            p.drawText(box, align | Qt::AlignVCenter, QString::fromLatin1(rates[i]));
        }
        save(image, folder + "125Hz.png");
    }
    writeSplash(folder + "SplashScreen.png", chinese, scale);
}

}  // namespace art
