// How the main window paints: the skin, the keyboard picture with its overlays, the bottom
// buttons and the lighting and performance column, composed off-screen and copied once.
#include <QApplication>
#include <QPainter>

#include "app/lighting_effects.h"
#include "app/main_window.h"
#include "controls/qt_text.h"
#include "controls/skin_image.h"
#include "keys/key_layout.h"
#include "keys/key_light_bit.h"
#include "keys/key_picture.h"

namespace tq260 {

namespace {

constexpr int kHelpMenuRight = 990;  // inside the menu's right edge

constexpr QRgb kDiyKeyFill = qRgb(255, 255, 0);
constexpr QRgb kDiyLabel = qRgb(0, 0, 255);
constexpr int kDiyLabelHeight = 11;
constexpr QRgb kListRow = qRgb(0x3B, 0x3B, 0x3B);
constexpr QRgb kListHoverRow = qRgb(0x50, 0, 0);
constexpr QRgb kListFrame = qRgb(0x3F, 0xC8, 0xF0);
constexpr int kPanelLeft = 19;  // the lighting and performance column
constexpr int kPanelRight = 261;
// The active profile's line: after the progress line (120..480), before Return.
constexpr int kProfileLineLeft = 492;
constexpr int kProfileLineRight = 790;
constexpr int kReportRateThumbMax = 205;

QRect windowRect(const KeyRectangle& r) {
    return QRect(QPoint(r.left, r.top), QPoint(r.right, r.bottom))
        .translated(kKeyboardPictureX, kKeyboardPictureY);
}

QString labelOf(std::size_t key) {
    return toQString(KeyLabelTable[key].text);
}

}  // namespace

void CGameKeyboardDlg::paintEvent(QPaintEvent*) {
    const QImage picture = compose();
    showComposed(*this, picture);
    // What was drawn may have moved, shown or hidden a place the keyboard reaches.
    if (stops_ != nullptr) stops_->syncSoon();
}

QImage CGameKeyboardDlg::renderWindow() {
    return compose();
}

QImage CGameKeyboardDlg::compose() {
    const QString folder = skinFolder();
    images_.setDevicePixelRatio(devicePixelRatioF());
    const SkinImage& main = images_.image(folder + QStringLiteral("main.png"));
    QImage picture = main.image().copy();
    if (picture.isNull()) return picture;
    const DeviceSettings record = recordCopy();
    applyPanelLayout(layout(), buttons_);
    updateSliders(record);

    QPainter p(&picture);
    images_.draw(p, folder, QStringLiteral("button-help-normal.png"), 936, 5);
    if (ui_.helpMenuOpen) {
        images_.draw(p, folder, QStringLiteral("HelpWindow.png"), 830, 22);
        // The address is the menu's widest row: as large as fits inside the menu.
        drawFittedLabel(p, QString::fromLatin1(kMakerSite),
                        QRect(850, 25, kHelpMenuRight - 850, 20), 15, Qt::white,
                        Qt::AlignLeft | Qt::AlignVCenter);
        drawLabel(p, text("Update Firmware", "驱动更新"), 850, 50, 15);
        drawLabel(p, QStringLiteral("Ver1.0"), 850, 75, 15);
    }
    images_.draw(p, folder, QStringLiteral("button-min-normal.png"), 957, 5);
    images_.draw(p, folder, QStringLiteral("button-close-normal.png"), 978, 5);
    images_.draw(p, folder, QStringLiteral("logo.png"), 19, 32);
    images_.draw(p, folder, QStringLiteral("kb_BK.png"), kKeyboardPictureX, kKeyboardPictureY);
    paintKeyboard(p, record);
    paintBottom(p);
    paintOperation(p);
    paintPanel(p, record);
    return picture;
}

void CGameKeyboardDlg::paintKeyboard(QPainter& p, const DeviceSettings& record) {
    const std::uint8_t effect = record.lighting.effect;
    if (!ui_.diyEditMode) {
        const QImage& lit = images_.image(skinFolder() + QStringLiteral("kb_hl.png")).image();
        const auto copyKey = [&](int key) {
            const KeyRectangle& r = KeyRectangleTable[static_cast<std::size_t>(key)];
            if (r.isEmpty() || lit.isNull()) return;
            drawImagePart(p, QRectF(windowRect(r)), lit,
                          QRect(QPoint(r.left, r.top), QPoint(r.right, r.bottom)));
        };
        if (ui_.hoverKey >= 0) copyKey(ui_.hoverKey);
        if (ui_.dialogKey >= 0) copyKey(ui_.dialogKey);
        for (std::size_t key = 0; key < kKeyCount; ++key) {
            if (state_.assignments.marks[key] != 0) copyKey(static_cast<int>(key));
        }
        return;
    }
    const CustomLightMask* mask = customLightMaskFor(record, effect);
    if (effect >= kFirstCustomEffect && mask != nullptr) {
        for (std::size_t key = 0; key < kKeyCount; ++key) {
            if (isMediaKey(key)) continue;
            if (!mask->bit(KeyLightBit[key])) continue;
            // The lit key's face, where the cap's face is drawn, with its legend centred on it.
            const QRectF face =
                QRectF(windowRect(KeyRectangleTable[key])).adjusted(1.5, 1, -1.5, -3);
            p.save();
            p.setRenderHint(QPainter::Antialiasing);
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(kDiyKeyFill));
            p.drawRoundedRect(face, 3, 3);
            p.restore();
            drawFittedLabel(p, labelOf(key), face.adjusted(1, 0, -1, 0), kDiyLabelHeight,
                            QColor(kDiyLabel), Qt::AlignCenter);
        }
    }
    if (ui_.hoverKey >= 0) {
        const KeyRectangle& r = KeyRectangleTable[static_cast<std::size_t>(ui_.hoverKey)];
        p.setPen(QPen(Qt::white, 1));
        p.setBrush(Qt::NoBrush);
        // An outline (right - left + 3) by (bottom - top + 3) whose corner is 2 pixels out.
        p.drawRect(QRect(kKeyboardPictureX + r.left - 2, kKeyboardPictureY + r.top - 2,
                         r.right - r.left + 2, r.bottom - r.top + 2));
    }
}

void CGameKeyboardDlg::paintBottom(QPainter& p) {
    const QString folder = skinFolder();
    const int xs[] = {800, 862, 924};
    const int entries[] = {15, 16, 17};
    for (int i = 0; i < 3; ++i) {
        const bool hot = buttons_[static_cast<std::size_t>(entries[i])].state != 0;
        images_.draw(p, folder,
                     hot ? QStringLiteral("button-cancel-over.png")
                         : QStringLiteral("button-cancel-normal.png"),
                     xs[i], 605);
    }
    images_.draw(p, folder, QStringLiteral("Config.png"), 17, 603);
    // The profile the keyboard was given, right of the progress line, beside the buttons.
    const QString profile = profileLine();
    if (tray_) tray_->setProfileLine(profile);
    if (!profile.isEmpty()) {
        drawFittedLabel(p, profile,
                        QRectF(kProfileLineLeft, 609, kProfileLineRight - kProfileLineLeft, 22), 14,
                        QColor(0xC8, 0xD2, 0xDC), Qt::AlignRight | Qt::AlignVCenter);
    }
    if (state_.language != Language::Chinese) drawLabel(p, QStringLiteral("Profile"), 45, 610, 16);
    if (state_.language == Language::Chinese) {
        drawLabel(p, QStringLiteral("恢复"), 810, 612, 16);
        drawLabel(p, QStringLiteral("取消"), 872, 612, 16);
        drawLabel(p, QStringLiteral("保存"), 934, 612, 16);
    } else {
        drawLabel(p, QStringLiteral("Return"), 810, 612, 16);
        drawLabel(p, QStringLiteral("Cancel"), 872, 612, 16);
        drawLabel(p, QStringLiteral("Save"), 937, 612, 16);
    }
}

QString CGameKeyboardDlg::stepName(OperationStep step) const {
    switch (step) {
        case OperationStep::Lighting:
            return text("lighting", "灯光");
        case OperationStep::KeyTable:
            return text("keys", "按键");
        case OperationStep::MacroBlock:
            return text("macros", "宏");
        case OperationStep::ReportRate:
            return text("report rate", "报告率");
        case OperationStep::ResponseTime:
            return text("response time", "响应时间");
        case OperationStep::LightMasks:
            return text("light patterns", "灯光图案");
        case OperationStep::GameMode:
            return text("game mode", "游戏模式");
        case OperationStep::FactoryReset:
            return text("resetting", "正在重置");
    }
    return {};
}

int CGameKeyboardDlg::operationLineLeft() const {
    // A dialog over the window's left part (the profile dialog, from which a profile is used)
    // would hide the line's start: it then starts beside the dialog.
    constexpr int kLeft = 120;
    const QWidget* modal = QApplication::activeModalWidget();
    if (modal == nullptr || modal == this || !modal->isVisible()) return kLeft;
    const QRect over(mapFromGlobal(modal->frameGeometry().topLeft()),
                     modal->frameGeometry().size());
    const QRect line(kLeft, 600, kOperationLineWidth, 32);
    const int after = over.right() + 16;
    if (!over.intersects(line) || after + kOperationLineWidth > kBottomButtonsLeft) return kLeft;
    return std::max(kLeft, after);
}

void CGameKeyboardDlg::paintOperation(QPainter& p) {
    // Between the Profile button and the bottom buttons: which step, and how far.
    using Kind = OperationDisplay::Kind;
    const OperationDisplay& op = ui_.operation;
    const int kX = operationLineLeft();
    if (op.kind == Kind::None) {
        if (!ui_.notice.isEmpty()) drawLabel(p, ui_.notice, kX, 611, 14, QColor(0xF0, 0xB4, 0x3C));
        return;
    }
    constexpr int kBarWidth = kOperationLineWidth;
    const QColor accent(0x3F, 0xC8, 0xF0);
    if (op.kind == Kind::Saved) {
        drawLabel(p, text("Saved to the keyboard.", "已保存到键盘。"), kX, 611, 14, accent);
        return;
    }
    const QString title = op.kind == Kind::Saving
                              ? text("Saving to the keyboard", "正在保存到键盘")
                              : text("Restoring factory settings", "正在恢复出厂设置");
    const int total = std::max(op.progress.total, 1);
    const QString line = op.progress.total == 0 ? title + QStringLiteral("…")
                                                : text("%1: %2 (%3/%4)", "%1：%2（%3/%4）")
                                                      .arg(title, stepName(op.progress.step))
                                                      .arg(op.progress.done + 1)
                                                      .arg(total);
    drawLabel(p, line, kX, 604, 14);
    p.fillRect(kX, 626, kBarWidth, 4, QColor(0x2A, 0x33, 0x40));
    p.fillRect(kX, 626, kBarWidth * op.progress.done / total, 4, accent);
}

void CGameKeyboardDlg::paintPanel(QPainter& p, const DeviceSettings& record) {
    const QString folder = skinFolder();
    const PanelLayout l = layout();
    paintLighting(p, record);

    const int macroY = l.macroBarY;
    images_.draw(p, folder, QStringLiteral("MacroManagementBK.png"), 19, macroY + 5);
    images_.draw(p, folder, QStringLiteral("MacroButton3.png"), 19, macroY + 15);
    drawLabel(p, text("Macro Management", "宏管理器"), 21, macroY + 17, 15);

    const int yG = l.gameModeHeaderY;
    const bool gameOpen = !ui_.sections.gameModeCollapsed;
    images_.draw(
        p, folder,
        gameOpen ? QStringLiteral("gamemode_open.png") : QStringLiteral("gamemode_Close.png"), 19,
        yG);
    drawLabel(p, text("Game Mode", "游戏模式"), 30, yG + 2, 15);
    if (gameOpen) {
        const bool on = record.gameMode == 1;
        images_.draw(p, folder, on ? QStringLiteral("Enable.png") : QStringLiteral("Disable.png"),
                     27, yG + 33);
        images_.draw(p, folder, on ? QStringLiteral("Disable.png") : QStringLiteral("Enable.png"),
                     78, yG + 33);
        // The ON label ends a few pixels before the OFF radio mark; OFF takes the same size,
        // so the two read as a pair.
        const QString onText = text("ON", "开启");
        p.save();
        p.setFont(labelFontToFit(onText, 15, 78 - 51 - 4));
        p.setPen(Qt::white);
        p.drawText(QRect(51, yG + 31, 78 - 51 - 4, 20), Qt::AlignLeft | Qt::AlignTop, onText);
        p.drawText(QRect(105, yG + 31, 100, 20), Qt::AlignLeft | Qt::AlignTop, text("OFF", "关闭"));
        p.restore();
    }

    const int yR = l.responseHeaderY;
    const bool responseOpen = !ui_.sections.responseCollapsed;
    images_.draw(p, folder,
                 responseOpen ? QStringLiteral("responsetime_open.png")
                              : QStringLiteral("responsetime_close.png"),
                 19, yR);
    drawLabel(p, text("Response Time", "按键响应时间"), 30, yR + 2, 15);
    if (responseOpen) {
        images_.draw(p, folder, QStringLiteral("Light_Item.png"), 28, yR + 28);
        drawLabel(p, responseTimeBarText(record.responseTime), 100, yR + 28, 15);
    }

    const int yP = l.reportRateHeaderY;
    const bool rateOpen = !ui_.sections.reportRateCollapsed;
    images_.draw(
        p, folder,
        rateOpen ? QStringLiteral("reportrate_Open.png") : QStringLiteral("reportrate_Close.png"),
        19, yP);
    drawLabel(p, text("USB Report Rate", "USB报告率"), 30, yP + 2, 15);
    if (rateOpen) {
        paintTrack(p, reportRate_);
        // The scale under the slider tells which rate each position is.
        images_.draw(p, folder, QStringLiteral("125Hz.png"), 31, yP + 45);
    }
    paintLists(p);
}

void CGameKeyboardDlg::paintLighting(QPainter& p, const DeviceSettings& record) {
    const QString folder = skinFolder();
    images_.draw(p, folder, QStringLiteral("itemBK.png"), 19, PanelLayout::kLightingHeaderY);
    if (ui_.sections.lightingCollapsed) {
        drawLabel(p, text("Light", "灯光"), 30, 112, 15);
        return;
    }
    const std::uint8_t effect = record.lighting.effect;
    // Where the closed header has it, beside the accent bar rather than on it.
    drawLabel(p, text("Light", "灯光"), 30, 112, 15);
    images_.draw(p, folder, QStringLiteral("LEDEffect_open.png"), 19, 130);
    drawLabel(p, text("Effect", "效果"), 28, 137, 15);
    images_.draw(p, folder, QStringLiteral("Light_Item.png"), 28, 158);
    if (effect >= 1 && effect <= 32) {
        paintTrack(p, speed_);
        if (!ui_.effectListOpen && !ui_.responseListOpen) {
            drawLabel(p, text("Speed", "速度"), 28, 265, 13);
            drawLabel(p, text("Slow", "慢"), 28, 292, 13);
            drawLabel(p, text("Fast", "快"), 230, 292, 13);
        }
    }
    drawLabel(p, text("Brightness", "亮度"), 28, 217, 13);
    drawLabel(p, text("Dark", "黑"), 28, 244, 13);
    drawLabel(p, text("Bright", "亮"), 230, 244, 13);
    paintTrack(p, brightness_);
    if (effect == 6 || effect == 7) {
        drawLabel(p, text("Direction", "方向"), 29, 177, 15);
        images_.draw(p, folder, QStringLiteral("Direction-T-Disable.png"), 29, 197);
        images_.draw(p, folder, QStringLiteral("Direction-B-Disable.png"), 79, 197);
        images_.draw(p, folder, QStringLiteral("Direction-R-Disable.png"), 129, 197);
        images_.draw(p, folder, QStringLiteral("Direction-L-Disable.png"), 179, 197);
        switch (record.lighting.direction) {
            case 3:
                images_.draw(p, folder, QStringLiteral("Direction-T-Enable.png"), 29, 197);
                break;
            case 4:
                images_.draw(p, folder, QStringLiteral("Direction-B-Enable.png"), 79, 197);
                break;
            case 2:
                images_.draw(p, folder, QStringLiteral("Direction-R-Enable.png"), 129, 197);
                break;
            case 1:
                images_.draw(p, folder, QStringLiteral("Direction-L-Enable.png"), 179, 197);
                break;
            default:
                break;
        }
    }
    if (effect >= kFirstCustomEffect) {
        images_.draw(p, folder,
                     ui_.diyEditMode ? QStringLiteral("Disable.png") : QStringLiteral("Enable.png"),
                     28, 199);
        images_.draw(p, folder,
                     ui_.diyEditMode ? QStringLiteral("Enable.png") : QStringLiteral("Disable.png"),
                     130, 199);
        drawLabel(p, QStringLiteral("Keymap"), 45, 197, 15);
        drawLabel(p, QStringLiteral("DIY"), 147, 197, 15);
    }
    if (const auto name = lightingEffectName(effect, state_.language))
        drawLabel(p, *name, 28, 158, 14);
}

void CGameKeyboardDlg::paintLists(QPainter& p) {
    const auto rows = [&](int left, int right, int top, int hover, int textX, auto rowText) {
        // A frame over the whole column, so nothing of the panel shows beside the rows.
        const QRect frame(QPoint(kPanelLeft, top - 3), QPoint(kPanelRight, top + 10 * 20 + 2));
        p.fillRect(frame, QColor(kListRow));
        p.setPen(QColor(kListFrame));
        p.drawRect(frame.adjusted(0, 0, -1, -1));
        for (int row = 0; row < 10; ++row) {
            const QRect area(QPoint(left, top + row * 20), QPoint(right, top + row * 20 + 19));
            p.fillRect(area, QColor(row == hover ? kListHoverRow : kListRow));
            drawLabel(p, rowText(row), textX, area.top(), 18);
        }
    };
    if (ui_.effectListOpen) {
        rows(28, 248, 173, ui_.effectListHoverRow, 28, [&](int row) {
            return lightingEffectName(static_cast<std::size_t>(row), state_.language);
        });
    }
    if (ui_.responseListOpen) {
        rows(27, 247, layout().responseListTop, ui_.responseListHoverRow, 97,
             [](int row) { return responseTimeRowText(row); });
    }
}

QRegion CGameKeyboardDlg::openPopups() const {
    QRegion popups;
    if (ui_.effectListOpen) popups += QRect(QPoint(28, 173), QPoint(248, 372));
    if (ui_.responseListOpen) {
        const int top = layout().responseListTop;
        popups += QRect(QPoint(27, top), QPoint(247, top + 199));
    }
    if (ui_.helpMenuOpen) popups += QRect(QPoint(830, 22), QPoint(996, 99));
    return popups;
}

void CGameKeyboardDlg::updateSliders(const DeviceSettings& record) {
    // A slider is a window of its own above the panel: under an open list it would show
    // through and take the clicks meant for the list's rows.
    const QRegion popups = openPopups();
    const auto clear = [&](const CBitSlider* slider) {
        return !popups.intersects(slider->geometry());
    };
    const bool lightingOpen = !ui_.sections.lightingCollapsed;
    const bool listOpen = ui_.effectListOpen || ui_.responseListOpen;
    const std::uint8_t effect = record.lighting.effect;
    speed_->setVisible(lightingOpen && effect >= 1 && effect <= 32 && !listOpen && clear(speed_));
    brightness_->setVisible(lightingOpen && !listOpen && clear(brightness_));
    const int yP = layout().reportRateHeaderY;
    if (ui_.sections.reportRateCollapsed) {
        reportRate_->hide();
        return;
    }
    if (yP != lastReportRateHeaderY_) {
        lastReportRateHeaderY_ = yP;
        reportRate_->move(28, yP + 23);
        reportRate_->loadChannelStrips();
    }
    reportRate_->setVisible(clear(reportRate_));
}

void CGameKeyboardDlg::paintTrack(QPainter& p, CBitSlider* slider) {
    syncSliderWithKeyboard(slider->notifyId);
    if (slider->isHidden()) return;  // under an open list
    slider->followDensity();
    const QRect r = slider->geometry();
    int x = slider->thumbX();
    int y = slider->thumbY();
    if (slider == reportRate_) {
        x = std::clamp(x, 0, kReportRateThumbMax);
        y = std::max(y, 0);
        if (slider->value() == 0) x += 2;
    }
    if (slider->channelStripA() == nullptr || slider->channelStripB() == nullptr) return;
    const QImage& filled = slider->channelStripB()->bitmap();
    const QImage& empty = slider->channelStripA()->bitmap();
    const int fill = std::clamp(x, 0, r.width());
    drawImagePart(p, QRectF(r.left(), r.top(), fill, r.height()), filled,
                  QRect(0, 0, fill, r.height()));
    drawImagePart(p, QRectF(r.left() + fill, r.top(), r.width() - fill, r.height()), empty,
                  QRect(fill, 0, r.width() - fill, r.height()));
    images_.draw(p, skinFolder(), QStringLiteral("Thumb.png"), r.left() + x, r.top() + y + 1);
}

}  // namespace tq260
