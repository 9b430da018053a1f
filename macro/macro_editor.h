#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "keys/key_name_table.h"
#include "macro/recorder_state.h"
#include "platform/clock.h"
#include "platform/key_hook.h"

namespace tq260 {

// The macro manager without its window: the macro list, the event list of the selected
// macro, the loops field and the two options, recording from the key hook and editing the
// event list line by line. Every change goes at once into the working table it was opened
// on; the window shows what this holds and asks it to act.
class MacroEditor {
  public:
    static constexpr std::size_t kMaxMacros = 6;
    static constexpr std::size_t kListLimit = 32;
    // Recording stops taking presses from 118 bytes on, and takes a press only with room
    // kept for its release and those of the other keys held, so a recording ends on whole
    // presses and its string (4 bytes at most per event) stays within 125 bytes, within
    // what the keyboard holds.
    static constexpr std::size_t kPressLimit = 118;
    static constexpr std::size_t kRecordedBytes = 125;
    static constexpr std::size_t kKeyboardBytes = 126;
    static constexpr std::uint16_t kInsertedDelayMs = 50;
    static constexpr std::int64_t kCounterFrequency = 1'000'000;  // the clock counts microseconds

    MacroEditor(const KeyNameTable& keyNames, KeyHook& hook, const Clock& clock);
    ~MacroEditor();
    MacroEditor(const MacroEditor&) = delete;
    MacroEditor& operator=(const MacroEditor&) = delete;

    // Opens on the working table, whose reports the hook sends to window. The named macros
    // are moved to the head of the table first, in their order, so that line i of the
    // macro list is always record i.
    void open(MacroTable& working, WindowHandle window);
    // The manager closes, by whatever way: the hook goes.
    void close();
    // OK: the hook goes; the loops field's count is kept for the selected macro.
    void confirm();

    const RecorderState& state() const { return state_; }
    const std::vector<std::u16string>& macroLines() const { return macroLines_; }
    int selectedMacro() const { return selectedMacro_; }
    const std::vector<std::u16string>& eventLines() const { return eventLines_; }
    int selectedEventLine() const { return selectedEventLine_; }
    const std::u16string& loopsText() const { return loopsText_; }

    // ---- The macro list and the options.
    void selectMacro(int line);
    enum class NewOutcome { Added, Ignored, TooMany };
    NewOutcome newMacro();
    // False when no macro is selected.
    bool deleteSelected();
    // False, and the old name kept, for a name that is empty or only blanks.
    bool renameMacro(int line, std::u16string_view name);
    // The names of the list into their records.
    void syncNames();
    void toggleRecordDelay();
    void toggleNumberOfLoops();
    // A count of 0 (or no digits) becomes "1"; the selected macro takes the count.
    void setLoopsText(std::u16string_view text);

    // ---- Recording (key hook in macro mode).
    // False when no macro is selected.
    bool toggleRecording();
    // One report of the hook.
    void hookKey(std::uint8_t key, bool release);
    // An in-place edit of either list is about to open.
    void stopForListEdit();

    // ---- Editing the event list.
    void selectEventLine(int line);
    // Arm an insertion: the next press and release go before or after the selected line.
    bool insertBefore();
    bool insertAfter();
    enum class InsertDelayOutcome { Done, Ignored, OnDelayLine };
    // The event after the selected key line waits 50 ms.
    InsertDelayOutcome insertDelay();
    // Deletes the selected line: a delay line's delay, or a key line's event.
    bool deleteLine();
    // The delay line was edited in place to delayMs.
    void editDelay(int line, int delayMs);

    // ---- What the keyboard can hold.
    // Bytes of events in the selected macro.
    std::size_t eventBytes() const;
    // The first event line the keyboard does not play (the event list's size when it
    // plays them all).
    std::size_t firstLineNotPlayed() const;
    // Lines of the macro list whose macros are longer than the keyboard holds.
    std::vector<int> macrosTooLong() const;
    // Where the macro of each keyboard slot, as the table was when opened, is now: its new
    // slot, or -1 when it was deleted (or moved past the keyboard's slots). A slot that held
    // no macro stays where it is.
    std::array<int, kKeyboardMacroSlots> slotMoves() const;

  private:
    MacroRecord* selectedRecord();
    void fillEventList();
    // The list and the lengths from the buffers.
    void showBuffers();
    void writeSelectedRecord();
    std::size_t append(std::uint8_t key, bool release, std::int64_t delayMs);
    // The delay an event appended now is stored with.
    std::uint16_t storedDelay(std::int64_t delayMs) const;
    // Whether a press with this delay fits with the releases it and the held keys need.
    bool pressFits(std::int64_t delayMs) const;
    std::int64_t milliseconds(std::int64_t ticks) const;
    void installHook();
    void removeHook();
    void armInsertion(int line);
    // After an edit of the strings: the first event waits no more, any pending insertion
    // ends, the record takes the strings and the list shows them.
    void finishEdit(int selectLine);
    bool isDelayLineAt(int line) const;
    // The loops field's count.
    std::uint16_t loopsValue() const;

    const KeyNameTable& keyNames_;
    KeyHook& hook_;
    const Clock& clock_;
    MacroTable* table_ = nullptr;
    WindowHandle window_ = WindowHandle::None;
    RecorderState state_;
    std::vector<std::u16string> macroLines_;
    // For each record of the list, the record it was when the manager opened (-1: new).
    std::vector<int> origins_;
    std::vector<int> opened_;  // the records named when the manager opened
    int selectedMacro_ = -1;
    std::vector<std::u16string> eventLines_;
    int selectedEventLine_ = -1;
    std::u16string loopsText_ = u"1";
};

}  // namespace tq260
