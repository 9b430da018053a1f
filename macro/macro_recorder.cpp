// Recording a macro from the key hook, and the one-key insertions it completes.
#include <algorithm>

#include "macro/macro_editor.h"
#include "macro/macro_event.h"

namespace tq260 {

bool MacroEditor::toggleRecording() {
    if (selectedRecord() == nullptr) return false;
    state_.recording = !state_.recording;
    if (!state_.recording) {
        removeHook();
        return true;
    }
    // Recording takes every report from now on; an insertion still armed would take the
    // first key and remove the hook.
    state_.insertMode = false;
    installHook();
    state_.buffers = EventBuffers{};
    state_.keyLineCount = 0;
    state_.eventLength = 0;
    state_.lastEventText.clear();
    state_.heldPresses.clear();
    state_.full = false;
    eventLines_.clear();
    selectedEventLine_ = -1;
    MacroRecord& record = *selectedRecord();
    record.deviceEvents.fill(0);
    record.keyEvents.fill(0);
    return true;
}

void MacroEditor::stopForListEdit() {
    removeHook();
    state_.recording = false;
    state_.insertMode = false;
}

std::int64_t MacroEditor::milliseconds(std::int64_t ticks) const {
    const std::int64_t frequency = state_.counterFrequency;
    if (ticks <= 0 || frequency <= 0) return 0;
    // Checked before multiplying, so that a long gap cannot overflow.
    if (ticks / frequency >= kMaxMacroDelayMs / 1000) return kMaxMacroDelayMs;
    return std::min<std::int64_t>(ticks * 1'000'000 / frequency / 1000, kMaxMacroDelayMs);
}

void MacroEditor::hookKey(std::uint8_t key, bool release) {
    RecorderState& s = state_;
    if (s.insertMode) {
        if (release) {
            s.insertMode = false;
            removeHook();
        }
        const auto line = static_cast<std::size_t>(std::max(s.insertionLine, 0));
        const std::size_t offset = LineMapping::eventStartingAt(s.buffers.key, line);
        if (insertKeyEvent(s.buffers, offset, release, key, keyNames_)) {
            ++s.keyLineCount;
            eventLines_ = eventLinesOf(s.buffers, keyNames_);
            // The selection stays on its line as lines go in before it.
            if (selectedEventLine_ >= s.insertionLine) ++selectedEventLine_;
            if (!release) ++s.insertionLine;
        }
    } else if (s.hookInstalled) {
        const std::u16string text = keyLine(keyNames_, key, release);
        const bool repeat = text == s.lastEventText;
        if (release) {
            const std::int64_t now = clock_.nowUs();
            const std::int64_t delta = now - s.lastEventTime;
            s.lastEventTime = now;
            // Only the release of a recorded press still held counts (a repeated release finds
            // it gone), and room was kept for it.
            const auto held = std::find(s.heldPresses.begin(), s.heldPresses.end(), key);
            if (held != s.heldPresses.end()) {
                s.heldPresses.erase(held);
                s.eventLength = append(key, true, milliseconds(delta));
            }
        } else {
            std::int64_t delta = 0;
            if (eventLines_.empty()) {
                s.lastEventTime = clock_.nowUs();
            } else if (!repeat) {
                const std::int64_t now = clock_.nowUs();
                delta = now - s.lastEventTime;
                s.lastEventTime = now;
            }
            // A held key repeats its press; it is recorded once.
            if (!repeat) {
                const std::int64_t delayMs = milliseconds(delta);
                if (pressFits(delayMs)) {
                    const std::size_t before = s.eventLength;
                    s.eventLength = append(key, false, delayMs);
                    if (s.eventLength != before) s.heldPresses.push_back(key);
                } else {
                    s.full = true;
                }
            }
        }
    }
    writeSelectedRecord();
}

std::uint16_t MacroEditor::storedDelay(std::int64_t delayMs) const {
    const bool timed = state_.recordDelay && !eventLines_.empty();
    // Under 1 ms there is nothing to wait: stored, and shown, as no delay.
    return timed
               ? static_cast<std::uint16_t>(std::clamp<std::int64_t>(delayMs, 1, kMaxMacroDelayMs))
               : std::uint16_t{1};
}

bool MacroEditor::pressFits(std::int64_t delayMs) const {
    const RecorderState& s = state_;
    if (s.eventLength >= kPressLimit) return false;
    const std::size_t press = storedDelay(delayMs) >= kLongDelay ? 4 : 2;
    // A release's delay is not known yet: the most it can take.
    const std::size_t release = s.recordDelay ? 4 : 2;
    return s.eventLength + press + release * (s.heldPresses.size() + 1) <= kRecordedBytes;
}

std::size_t MacroEditor::append(std::uint8_t key, bool release, std::int64_t delayMs) {
    RecorderState& s = state_;
    const std::uint16_t delay = storedDelay(delayMs);
    const std::size_t size = writeMacroEvent(s.buffers.device, s.buffers.key, s.eventLength,
                                             {release, key, delay}, keyNames_);
    // A key the keyboard has no code for cannot be played back; it is left out.
    if (size == 0) return s.eventLength;
    if (delay != 1) eventLines_.push_back(delayLine(delay));
    s.lastEventText = keyLine(keyNames_, key, release);
    eventLines_.push_back(s.lastEventText);
    selectedEventLine_ = static_cast<int>(eventLines_.size()) - 1;
    ++s.keyLineCount;
    return s.eventLength + size;
}

void MacroEditor::writeSelectedRecord() {
    MacroRecord* record = selectedRecord();
    if (record == nullptr) return;
    record->setName(macroLines_[static_cast<std::size_t>(selectedMacro_)]);
    record->loopCount = state_.numberOfLoops ? loopsValue() : std::uint16_t{1};
    record->recordDelay = state_.recordDelay ? 1 : 0;
    record->deviceEvents = state_.buffers.device;
    record->keyEvents = state_.buffers.key;
}

}  // namespace tq260
