// The macro manager's lists, options and loops field.
#include "macro/macro_editor.h"

#include <algorithm>

#include "macro/macro_event.h"

namespace tq260 {

namespace {

constexpr std::size_t kLoopDigits = 3;

std::u16string ascii(const std::string& text) {
    return {text.begin(), text.end()};
}

bool isBlank(std::u16string_view text) {
    return std::all_of(text.begin(), text.end(),
                       [](char16_t c) { return c == u' ' || c == u'\t' || c == u'\u3000'; });
}

// The leading digits of a field, at most three; 0 without any.
unsigned loopValue(std::u16string_view text) {
    unsigned value = 0;
    for (std::size_t i = 0; i < text.size() && i < kLoopDigits; ++i) {
        if (text[i] < u'0' || text[i] > u'9') break;
        value = value * 10 + static_cast<unsigned>(text[i] - u'0');
    }
    return value;
}

std::u16string newMacroName(int number) {
    return ascii((number < 10 ? "Macro_00" : "Macro_0") + std::to_string(number));
}

}  // namespace

MacroEditor::MacroEditor(const KeyNameTable& keyNames, KeyHook& hook, const Clock& clock)
    : keyNames_(keyNames), hook_(hook), clock_(clock) {}

MacroEditor::~MacroEditor() {
    removeHook();
}

void MacroEditor::open(MacroTable& working, WindowHandle window) {
    removeHook();
    table_ = &working;
    window_ = window;
    origins_.clear();
    for (std::size_t i = 0; i < working.size(); ++i) {
        if (!working[i].isFree()) origins_.push_back(static_cast<int>(i));
    }
    opened_ = origins_;
    // A free record between named ones would put list line and record number out of step.
    std::stable_partition(working.begin(), working.end(),
                          [](const MacroRecord& record) { return !record.isFree(); });
    state_ = RecorderState{};
    state_.counterFrequency = kCounterFrequency;
    macroLines_.clear();
    eventLines_.clear();
    selectedMacro_ = -1;
    selectedEventLine_ = -1;
    loopsText_ = u"1";
    for (const MacroRecord& record : working) {
        if (record.isFree()) break;
        macroLines_.emplace_back(record.nameText());
    }
    if (macroLines_.empty()) return;
    selectedMacro_ = 0;
    const MacroRecord& first = working[0];
    if (first.loopCount > 1) state_.numberOfLoops = true;
    setLoopsText(ascii(std::to_string(first.loopCount)));
    state_.recordDelay = (first.recordDelay & 1) != 0;
    fillEventList();
}

void MacroEditor::close() {
    removeHook();
}

void MacroEditor::confirm() {
    removeHook();
    if (MacroRecord* record = selectedRecord(); record != nullptr && state_.numberOfLoops) {
        record->loopCount = loopsValue();
    }
}

std::uint16_t MacroEditor::loopsValue() const {
    return static_cast<std::uint16_t>(loopValue(loopsText_));
}

MacroRecord* MacroEditor::selectedRecord() {
    if (table_ == nullptr || selectedMacro_ < 0 ||
        static_cast<std::size_t>(selectedMacro_) >= table_->size()) {
        return nullptr;
    }
    return &(*table_)[static_cast<std::size_t>(selectedMacro_)];
}

void MacroEditor::installHook() {
    if (!state_.hookInstalled)
        state_.hookInstalled = hook_.install(window_, KeyHook::MacroRecording);
}

void MacroEditor::removeHook() {
    if (!state_.hookInstalled) return;
    hook_.remove();
    state_.hookInstalled = false;
}

void MacroEditor::selectMacro(int line) {
    if (table_ == nullptr || line < 0 || static_cast<std::size_t>(line) >= macroLines_.size()) {
        return;
    }
    // A recording belongs to the macro it cleared; another macro's events are not added to.
    if (line != selectedMacro_ && state_.recording) {
        removeHook();
        state_.recording = false;
    }
    selectedMacro_ = line;
    const MacroRecord& record = *selectedRecord();
    state_.recordDelay = (record.recordDelay & 1) != 0;
    unsigned count = record.loopCount;
    state_.numberOfLoops = count > 1;
    if (count == 0) count = 1;
    setLoopsText(ascii(std::to_string(count)));
    fillEventList();
}

void MacroEditor::fillEventList() {
    const MacroRecord* record = selectedRecord();
    state_.buffers = record != nullptr ? editableBuffers(*record) : EventBuffers{};
    showBuffers();
    selectedEventLine_ = -1;
}

void MacroEditor::showBuffers() {
    eventLines_ = eventLinesOf(state_.buffers, keyNames_);
    state_.eventLength = eventStringEnd(state_.buffers.key);
    state_.keyLineCount = static_cast<std::size_t>(
        std::count_if(eventLines_.begin(), eventLines_.end(),
                      [](const std::u16string& line) { return !isDelayLine(line); }));
}

MacroEditor::NewOutcome MacroEditor::newMacro() {
    if (table_ == nullptr || macroLines_.size() >= kListLimit) return NewOutcome::Ignored;
    if (macroLines_.size() >= kMaxMacros) return NewOutcome::TooMany;
    std::u16string name;
    for (int number = 1;; ++number) {
        name = newMacroName(number);
        if (std::find(macroLines_.begin(), macroLines_.end(), name) == macroLines_.end()) break;
    }
    macroLines_.push_back(name);
    origins_.push_back(-1);
    const std::size_t line = macroLines_.size() - 1;
    selectedMacro_ = static_cast<int>(line);
    MacroTable& table = *table_;
    if (line + 1 < table.size()) {
        std::copy_backward(table.begin() + static_cast<std::ptrdiff_t>(line), table.end() - 1,
                           table.end());
    }
    table[line] = MacroRecord{};
    table[line].setName(name);
    eventLines_.clear();
    selectedEventLine_ = -1;
    state_.buffers = EventBuffers{};
    state_.keyLineCount = 0;
    state_.eventLength = 0;
    state_.recording = false;
    state_.recordDelay = false;
    // A pending insertion belonged to the macro shown before.
    state_.insertMode = false;
    setLoopsText(u"1");
    removeHook();
    state_.numberOfLoops = false;
    return NewOutcome::Added;
}

bool MacroEditor::deleteSelected() {
    if (table_ == nullptr || selectedMacro_ < 0) return false;
    const auto line = static_cast<std::size_t>(selectedMacro_);
    MacroTable& table = *table_;
    const auto named = static_cast<std::size_t>(
        std::find_if(table.begin(), table.end(), [](const MacroRecord& r) { return r.isFree(); }) -
        table.begin());
    macroLines_.erase(macroLines_.begin() + static_cast<std::ptrdiff_t>(line));
    if (line < origins_.size())
        origins_.erase(origins_.begin() + static_cast<std::ptrdiff_t>(line));
    eventLines_.clear();
    selectedEventLine_ = -1;
    std::copy(table.begin() + static_cast<std::ptrdiff_t>(line) + 1, table.end(),
              table.begin() + static_cast<std::ptrdiff_t>(line));
    table.back() = MacroRecord{};
    if (named >= 1) table[named - 1] = MacroRecord{};
    selectedMacro_ = -1;
    const int next = std::min(static_cast<int>(line), static_cast<int>(named) - 2);
    if (next >= 0) {
        selectMacro(next);
    } else {
        state_.buffers = EventBuffers{};
        state_.eventLength = 0;
        state_.keyLineCount = 0;
    }
    removeHook();
    state_.recording = false;
    state_.insertMode = false;
    return true;
}

bool MacroEditor::renameMacro(int line, std::u16string_view name) {
    if (line < 0 || static_cast<std::size_t>(line) >= macroLines_.size() || isBlank(name)) {
        return false;
    }
    MacroRecord cut;
    cut.setName(name);  // the name field's length
    macroLines_[static_cast<std::size_t>(line)] = cut.nameText();
    syncNames();
    return true;
}

void MacroEditor::syncNames() {
    if (table_ == nullptr) return;
    for (std::size_t i = 0; i < macroLines_.size() && i < table_->size(); ++i) {
        (*table_)[i].setName(macroLines_[i]);
    }
}

void MacroEditor::toggleRecordDelay() {
    state_.recordDelay = !state_.recordDelay;
}

void MacroEditor::toggleNumberOfLoops() {
    state_.numberOfLoops = !state_.numberOfLoops;
    if (!state_.numberOfLoops) setLoopsText(u"1");
}

void MacroEditor::setLoopsText(std::u16string_view text) {
    std::u16string digits;
    for (const char16_t c : text) {
        if (c < u'0' || c > u'9' || digits.size() == kLoopDigits) break;
        digits.push_back(c);
    }
    if (loopValue(digits) == 0) digits = u"1";
    loopsText_ = digits;
    if (MacroRecord* record = selectedRecord()) record->loopCount = loopsValue();
}

std::size_t MacroEditor::eventBytes() const {
    return eventStringEnd(state_.buffers.key);
}

std::size_t MacroEditor::firstLineNotPlayed() const {
    std::size_t line = 0;
    std::size_t offset = 0;
    while (macroEventAt(state_.buffers.key, offset)) {
        const std::uint8_t type = state_.buffers.key[offset];
        const std::size_t end = offset + macroEventSize(type);
        if (end > kKeyboardBytes) return line;
        line += static_cast<std::size_t>(macroEventLines(type));
        offset = end;
    }
    return eventLines_.size();
}

std::array<int, kKeyboardMacroSlots> MacroEditor::slotMoves() const {
    std::array<int, kKeyboardMacroSlots> moves{};
    for (std::size_t slot = 0; slot < moves.size(); ++slot) moves[slot] = static_cast<int>(slot);
    if (table_ == nullptr) return moves;
    // Slots that held a macro at the opening: deleted unless found below.
    for (std::size_t slot = 0; slot < moves.size(); ++slot) {
        if (std::find(opened_.begin(), opened_.end(), static_cast<int>(slot)) != opened_.end()) {
            moves[slot] = -1;
        }
    }
    for (std::size_t now = 0; now < origins_.size(); ++now) {
        const int was = origins_[now];
        if (was < 0 || was >= static_cast<int>(moves.size())) continue;
        moves[static_cast<std::size_t>(was)] = now < moves.size() ? static_cast<int>(now) : -1;
    }
    return moves;
}

std::vector<int> MacroEditor::macrosTooLong() const {
    std::vector<int> lines;
    if (table_ == nullptr) return lines;
    for (std::size_t i = 0; i < macroLines_.size() && i < kMaxMacros; ++i) {
        if (eventStringEnd(editableBuffers((*table_)[i]).key) > kKeyboardBytes) {
            lines.push_back(static_cast<int>(i));
        }
    }
    return lines;
}

}  // namespace tq260
