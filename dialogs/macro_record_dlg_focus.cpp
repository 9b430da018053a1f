// The macro manager's focus stops, in reading order: the two lists, the options, the loops
// field, then New, Delete, OK and Cancel. Space and Enter run what a click there runs.
#include "dialogs/macro_record_dlg.h"

namespace tq260 {

namespace {

constexpr std::uint8_t kEscapeKey = 0x1B;
constexpr std::uint8_t kSpaceKey = 0x20;
constexpr std::uint8_t kEnterKey = 0x0D;

}  // namespace

std::vector<FocusStop> CMacroRecordDlg::focusStopsNow() {
    std::vector<FocusStop> stops;
    if (buttons_.size() != kMacroHotAreas) return stops;  // not opened yet
    const RecorderState& state = editor_.state();
    const auto control = [&](QWidget* widget) { stops.push_back(controlStop(widget)); };
    const auto area = [&](MacroHotArea which, const QString& id, const QString& name) {
        FocusStop stop;
        stop.id = id;
        const ButtonImageSet& set = buttons_[static_cast<std::size_t>(which)];
        stop.rect = shownRect(set, images_.image(skinFolder() + set.normal).size());
        stop.name = name;
        stop.activate = [this, which] { click(which); };
        stops.push_back(std::move(stop));
        return &stops.back();
    };
    const auto tick = [&](MacroHotArea which, const QString& id, const QString& name, bool on) {
        FocusStop* stop = area(which, id, name);
        stop->role = QAccessible::CheckBox;
        stop->checked = on;
    };

    control(macroList_);
    control(eventList_);
    FocusStop* record = area(MacroHotArea::Record, QStringLiteral("record"),
                             text(state.recording ? kStopRecording : kStartRecording));
    record->activate = [this] { recordFromKeyboard(); };
    if (state.recording) {
        record->description = text(u"Escape stops recording.", u"按 Esc 键停止录制。");
    }
    tick(MacroHotArea::RecordDelayTick, QStringLiteral("record-delay"),
         text(u"Record Delay between keystrokes", u"记录按键动作间的延迟"), state.recordDelay);
    tick(MacroHotArea::LoopsTick, QStringLiteral("loops"), text(u"Number of Loops", u"循环次数"),
         state.numberOfLoops);
    if (loopsField_->isEnabled()) control(loopsField_);
    area(MacroHotArea::New, QStringLiteral("new"), text(u"New", u"新建"));
    area(MacroHotArea::Delete, QStringLiteral("delete"), text(u"Delete", u"删除"));
    area(MacroHotArea::Ok, QStringLiteral("ok"), text(u"OK", u"确定"));
    area(MacroHotArea::Cancel, QStringLiteral("cancel"), text(u"Cancel", u"取消"));
    return stops;
}

void CMacroRecordDlg::recordFromKeyboard() {
    click(MacroHotArea::Record);
    escapeStops_ = editor_.state().recording;
    skipStartingRelease_ = escapeStops_;
}

bool CMacroRecordDlg::keyboardRecordingKey(std::uint8_t key, bool release) {
    const RecorderState& state = editor_.state();
    if (!escapeStops_ || !state.recording || state.insertMode) return false;
    if (key == kEscapeKey) {
        if (release) {
            click(MacroHotArea::Record);
            stops_->focusOn(QStringLiteral("record"));
        }
        return true;
    }
    // The key that began the recording comes up after the hook went in.
    if (release && skipStartingRelease_ && (key == kSpaceKey || key == kEnterKey)) {
        skipStartingRelease_ = false;
        return true;
    }
    if (!release) skipStartingRelease_ = false;
    return false;
}

}  // namespace tq260
