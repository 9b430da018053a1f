// How the macro manager paints: the skin, its labels, the seven hot areas in their states
// and what the keyboard can hold of the selected macro; composed off-screen, copied once.
#include <QPainter>

#include "controls/skin_image.h"
#include "dialogs/macro_record_dlg.h"

namespace tq260 {

namespace {

constexpr int kButtonLabelHeight = 15;
const QColor kCapacityNormal(0x8A, 0x94, 0xA8);
const QColor kCapacityWarning(0xFF, 0x6B, 0x6B);
const QColor kInsertionHint(0x00, 0xFF, 0xFF);

}  // namespace

void CMacroRecordDlg::paintEvent(QPaintEvent*) {
    const QImage picture = compose();
    showComposed(*this, picture);
    // What a paint shows changed may change a stop's name or state.
    stops_->syncSoon();
}

QImage CMacroRecordDlg::render() {
    return grab().toImage();
}

QImage CMacroRecordDlg::compose() {
    const QString folder = skinFolder();
    images_.setDevicePixelRatio(devicePixelRatioF());
    QImage picture = images_.image(folder + QStringLiteral("MacroManagement.png")).image().copy();
    if (picture.isNull()) return picture;
    QPainter p(&picture);
    const Language language = context_.language;
    for (const MacroManagerLabel& label : macroManagerLabels()) {
        const QPoint at = label.label.at(language);
        drawLabel(p, text(label.label.text), at.x(), at.y(), label.height);
    }
    const RecorderState& state = editor_.state();
    for (std::size_t i = 0; i < buttons_.size(); ++i) {
        const ButtonImageSet& set = buttons_[i];
        bool lit = set.state != 0;
        if (static_cast<MacroHotArea>(i) == MacroHotArea::RecordDelayTick) lit = state.recordDelay;
        if (static_cast<MacroHotArea>(i) == MacroHotArea::LoopsTick) lit = state.numberOfLoops;
        images_.draw(p, folder, lit ? set.over : set.normal, set.rect.left(), set.rect.top());
    }
    const QPoint record = kRecordLabel.at(language);
    drawLabel(p, text(state.recording ? kStopRecording : kStartRecording), record.x(), record.y(),
              kButtonLabelHeight);
    for (const DialogLabel& label : macroButtonLabels()) {
        const QPoint at = label.at(language);
        drawLabel(p, text(label.text), at.x(), at.y(), kButtonLabelHeight);
    }
    if (state.insertMode) {
        drawLabel(p, text(kInsertionArmed), kCapacityLabel.x(), kCapacityLabel.y(), kCapacityHeight,
                  kInsertionHint);
    } else if (editor_.selectedMacro() >= 0) {
        const bool over = editor_.eventBytes() > MacroEditor::kKeyboardBytes;
        drawLabel(p, capacityText(), kCapacityLabel.x(), kCapacityLabel.y(), kCapacityHeight,
                  over ? kCapacityWarning : kCapacityNormal);
    }
    return picture;
}

QString CMacroRecordDlg::capacityText() const {
    const std::size_t bytes = editor_.eventBytes();
    const RecorderState& state = editor_.state();
    const DialogText& form =
        bytes > MacroEditor::kKeyboardBytes ? kCapacityOver
        : state.recording && (state.full || state.eventLength >= MacroEditor::kPressLimit)
            ? kCapacityFull
            : kCapacityText;
    return text(form).arg(bytes).arg(MacroEditor::kKeyboardBytes);
}

}  // namespace tq260
