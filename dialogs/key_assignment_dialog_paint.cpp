// How the key dialogs paint: the skin, the tabs with the current one marked, the buttons
// with their labels and, on the launch page, its grid; composed off-screen, copied once.
#include <QFontMetrics>
#include <QPainter>

#include "controls/skin_image.h"
#include "dialogs/key_assignment_dialog.h"
#include "keys/key_layout.h"

namespace tq260 {

namespace {

constexpr int kLabelHeight = 15;
constexpr int kButtonLabelY = 248;
constexpr int kPathTextHeight = 12;
constexpr QRgb kPathBox = qRgb(0x1E, 0x1E, 0x1E);
constexpr QRgb kPathText = qRgb(0xE6, 0xEB, 0xF5);
const QPoint kToggleLabelOffset(15, -2);
// Under the key box, what to do there.
const QPoint kHint(20, 112);
constexpr int kHintHeight = 13;
// Over the macro list of a dialog without a macro tab.
const QPoint kMacroPageLabel(20, 61);
constexpr QRgb kHintColour = qRgb(0x7F, 0x8A, 0xA3);
const QString kCursor = QStringLiteral("cursor.png");

KeyDialogRole tabOf(KeyAssignmentDialog::Page page) {
    switch (page) {
        case KeyAssignmentDialog::KeyPage:
            return KeyDialogRole::KeyTab;
        case KeyAssignmentDialog::MacroPage:
            return KeyDialogRole::MacroTab;
        case KeyAssignmentDialog::FunctionPage:
            return KeyDialogRole::FunctionTab;
        case KeyAssignmentDialog::LaunchPage:
            break;
    }
    return KeyDialogRole::LaunchTab;
}

}  // namespace

void KeyAssignmentDialog::paintEvent(QPaintEvent*) {
    const QImage picture = compose();
    showComposed(*this, picture);
    stops_->syncSoon();
}

QImage KeyAssignmentDialog::render() {
    return grab().toImage();
}

QImage KeyAssignmentDialog::compose() {
    const QString folder = skinFolder();
    images_.setDevicePixelRatio(devicePixelRatioF());
    QImage picture = images_.image(folder + QStringLiteral("MainBK.png")).image().copy();
    if (picture.isNull()) return picture;
    QPainter p(&picture);

    // The strip under the tabs first, so the tabs drawn over it stay whole.
    for (int pass = 0; pass < 2; ++pass) {
        for (std::size_t i = 0; i < buttons_.size(); ++i) {
            const ButtonImageSet& set = buttons_[i];
            const KeyDialogRole role = variant_.roles[i];
            if (set.rect.isNull() || (role == KeyDialogRole::Strip) != (pass == 0)) continue;
            const bool lit =
                role == KeyDialogRole::DisableToggle ? state_.disableToggle : set.state != 0;
            images_.draw(p, folder, lit ? set.over : set.normal, set.rect.left(), set.rect.top());
        }
    }
    if (const ButtonImageSet* tab = shownButton(tabOf(state_.page))) {
        const QRect r = tab->rect;
        const SkinImage& cursor = images_.image(folder + kCursor);
        cursor.draw(p, r.left() + (r.width() - cursor.width()) / 2,
                    r.bottom() - cursor.height() - 1);
    }

    const Language language = context_.language;
    drawLabel(p, text(u"Current Key: ", u"当前按键:") + keyName(KeyLayout[key_].virtualKey), 2, 2,
              kLabelHeight);
    const KeyDialogRole tabs[] = {KeyDialogRole::KeyTab, KeyDialogRole::MacroTab,
                                  KeyDialogRole::FunctionTab};
    for (std::size_t i = 0; i < std::size(tabs); ++i) {
        const DialogLabel& label = variant_.tabLabels[i];
        if (label.text.in(language).empty() || shownButton(tabs[i]) == nullptr) continue;
        const QPoint at = label.at(language);
        drawLabel(p, text(label.text), at.x(), at.y(), kLabelHeight);
    }
    if (state_.page == KeyPage) {
        drawLabel(p,
                  text(u"Press a key on your keyboard, or hold keys together\nfor a combination.",
                       u"请在键盘上按下一个按键，\n或同时按住几个按键组成组合键。"),
                  kHint.x(), kHint.y(), kHintHeight, QColor(kHintColour));
    }
    if (state_.page == MacroPage && shownButton(KeyDialogRole::MacroTab) == nullptr) {
        // No tab says which page this is.
        drawLabel(p, text(u"Macro", u"宏"), kMacroPageLabel.x(), kMacroPageLabel.y(), kLabelHeight);
    }
    if (state_.page == KeyPage && variant_.keyPageLabel) {
        const QPoint at = variant_.keyPageLabel->at(language);
        drawLabel(p, text(variant_.keyPageLabel->text), at.x(), at.y(), kLabelHeight);
    }
    const bool chinese = language == Language::Chinese;
    drawLabel(p, text(u"Default", u"初始值"), 158, kButtonLabelY, kLabelHeight);
    drawLabel(p, text(u"Cancel", u"取消"), chinese ? 218 : 214, kButtonLabelY, kLabelHeight);
    drawLabel(p, text(u"Save", u"保存"), 272, kButtonLabelY, kLabelHeight);
    if (const ButtonImageSet* toggle = shownButton(KeyDialogRole::DisableToggle)) {
        const QPoint at = toggle->rect.topLeft() + kToggleLabelOffset;
        drawLabel(p, text(u"Disable", u"禁用按键"), at.x(), at.y(), kLabelHeight);
    }
    if (state_.page == MacroPage && macroList_->count() == 0) {
        p.fillRect(kMacroListGeometry, QColor(kPathBox));
        p.save();
        p.setFont(labelFont(kHintHeight));
        p.setPen(QColor(kHintColour));
        p.drawText(kMacroListGeometry.adjusted(8, 8, -8, -8), Qt::AlignLeft | Qt::TextWordWrap,
                   text(u"No macros yet. Record one with Macro Management in the main window.",
                        u"还没有宏。请在主窗口的宏管理中录制一个。"));
        p.restore();
    }
    if (state_.page == LaunchPage) paintLaunchPage(p);
    return picture;
}

void KeyAssignmentDialog::paintLaunchPage(QPainter& p) {
    const QString folder = skinFolder();
    const QString kinds[kLaunchRows] = {QStringLiteral("MP3"), QStringLiteral("EXE"),
                                        QStringLiteral("TXT"), text(u"Folder", u"文件夹")};
    QFont pathFont(QStringLiteral("Arial"));
    setCellHeight(pathFont, kPathTextHeight);
    const QFontMetrics metrics(pathFont);
    for (int row = 0; row < kLaunchRows; ++row) {
        const int first = row * kLaunchColumns;
        const QRect mark = launchCell(first);
        images_.draw(
            p, folder,
            state_.gridMark == first ? QStringLiteral("Enable.png") : QStringLiteral("Disable.png"),
            mark.left(), mark.top());
        const QRect label = launchCell(first + 1);
        drawLabel(p, kinds[row], label.left(), label.top(), kLabelHeight - 2);
        const QRect path = launchCell(first + 2);
        p.fillRect(path, QColor(kPathBox));
        if (state_.launchKind == row) {
            p.save();
            p.setFont(pathFont);
            p.setPen(QColor(kPathText));
            const QRect inner = path.adjusted(4, 0, -4, 0);
            p.drawText(
                inner, Qt::AlignLeft | Qt::AlignVCenter,
                metrics.elidedText(pathText(request_->launchPath), Qt::ElideMiddle, inner.width()));
            p.restore();
        }
        const QRect browse = launchCell(first + 3);
        images_.draw(p, folder,
                     hoverLaunchCell_ == first + 3 ? QStringLiteral("浏览02.png")
                                                   : QStringLiteral("浏览.png"),
                     browse.left(), browse.top());
    }
}

}  // namespace tq260
