// Editing the event list line by line: armed insertions, delays and deletions.
#include <algorithm>

#include "macro/macro_editor.h"
#include "macro/macro_event.h"

namespace tq260 {

void MacroEditor::selectEventLine(int line) {
    selectedEventLine_ =
        line >= 0 && static_cast<std::size_t>(line) < eventLines_.size() ? line : -1;
}

bool MacroEditor::isDelayLineAt(int line) const {
    return line >= 0 && static_cast<std::size_t>(line) < eventLines_.size() &&
           isDelayLine(eventLines_[static_cast<std::size_t>(line)]);
}

void MacroEditor::armInsertion(int line) {
    // The insertion takes the hook's next keys and ends by removing it: a recording would
    // only seem to go on.
    state_.recording = false;
    state_.insertionLine = line;
    state_.insertMode = true;
    installHook();
}

bool MacroEditor::insertBefore() {
    const int l = selectedEventLine_;
    if (l < 0 || selectedRecord() == nullptr) return false;
    // Never between a delay line and the key line it belongs to.
    int line = l;
    if (l != 0 && !isDelayLineAt(l) && isDelayLineAt(l - 1)) line = l - 1;
    armInsertion(line);
    return true;
}

bool MacroEditor::insertAfter() {
    const int l = selectedEventLine_;
    if (l < 0 || selectedRecord() == nullptr) return false;
    const bool last = static_cast<std::size_t>(l) + 1 == eventLines_.size();
    armInsertion(!last && isDelayLineAt(l) ? l + 2 : l + 1);
    return true;
}

MacroEditor::InsertDelayOutcome MacroEditor::insertDelay() {
    const int l = selectedEventLine_;
    if (l < 0 || static_cast<std::size_t>(l) + 1 >= eventLines_.size() ||
        selectedRecord() == nullptr) {
        return InsertDelayOutcome::Ignored;
    }
    if (isDelayLineAt(l)) return InsertDelayOutcome::OnDelayLine;
    const std::size_t offset =
        LineMapping::eventStartingAt(state_.buffers.key, static_cast<std::size_t>(l) + 1);
    setEventDelay(state_.buffers, offset, kInsertedDelayMs);
    finishEdit(-1);
    return InsertDelayOutcome::Done;
}

bool MacroEditor::deleteLine() {
    const int l = selectedEventLine_;
    if (l < 0 || static_cast<std::size_t>(l) >= eventLines_.size() || selectedRecord() == nullptr) {
        return false;
    }
    const auto line = static_cast<std::size_t>(l);
    if (isDelayLineAt(l)) {
        // The event keeps its key and release; only its wait goes.
        setEventDelay(state_.buffers, LineMapping::eventEndingAt(state_.buffers.key, line + 1), 1);
    } else {
        removeEvent(state_.buffers, LineMapping::eventEndingAt(state_.buffers.key, line));
    }
    finishEdit(-1);
    return true;
}

void MacroEditor::editDelay(int line, int delayMs) {
    if (!isDelayLineAt(line) || selectedRecord() == nullptr) return;
    const auto delay = static_cast<std::uint16_t>(std::clamp(delayMs, 2, int{kMaxMacroDelayMs}));
    setEventDelay(state_.buffers,
                  LineMapping::eventStartingAt(state_.buffers.key, static_cast<std::size_t>(line)),
                  delay);
    // The list shows what the record holds, also where the edit could not be kept.
    finishEdit(line);
}

void MacroEditor::finishEdit(int selectLine) {
    resetFirstDelay(state_.buffers);
    state_.insertMode = false;
    writeSelectedRecord();
    showBuffers();
    selectEventLine(selectLine);
}

}  // namespace tq260
