#pragma once

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <type_traits>

namespace tq260 {

// The files are little-endian images of these structures.
static_assert(std::endian::native == std::endian::little);

inline constexpr std::size_t kEventStringSize = 190;
inline constexpr std::size_t kMacroNameCapacity = 255;  // code units, terminator included
inline constexpr std::size_t kMacroCount = 190;
inline constexpr std::size_t kKeyboardMacroSlots = 6;

using EventString = std::array<std::uint8_t, kEventStringSize>;
// The events with the keyboard's codes, as the keyboard plays them.
using DeviceEventString = EventString;
// The same events with virtual-key codes, for showing and editing them.
using KeyEventString = EventString;

// One macro as "MacroDefine.bin" holds it.
struct MacroRecord {
    std::array<char16_t, kMacroNameCapacity> name{};  // empty: a free record
    std::uint16_t loopCount = 0;
    std::uint8_t recordDelay = 0;  // bit 0: recorded with delays
    DeviceEventString deviceEvents{};
    KeyEventString keyEvents{};
    std::uint8_t spare = 0;

    bool isFree() const { return name[0] == 0; }
    std::u16string_view nameText() const;
    // Longer names are cut to the 254 code units that fit.
    void setName(std::u16string_view text);

    friend bool operator==(const MacroRecord&, const MacroRecord&) = default;
};

static_assert(std::is_standard_layout_v<MacroRecord>);
static_assert(std::is_trivially_copyable_v<MacroRecord>);
static_assert(sizeof(MacroRecord) == 894);
static_assert(offsetof(MacroRecord, loopCount) == 510);
static_assert(offsetof(MacroRecord, recordDelay) == 512);
static_assert(offsetof(MacroRecord, deviceEvents) == 513);
static_assert(offsetof(MacroRecord, keyEvents) == 703);
static_assert(offsetof(MacroRecord, spare) == 893);

using MacroTable = std::array<MacroRecord, kMacroCount>;
static_assert(sizeof(MacroTable) == 169'860);

// The saved table is the image of "MacroDefine.bin"; the macro manager edits the working
// one and, on OK, makes it the saved one.
struct MacroTables {
    std::unique_ptr<MacroTable> saved = std::make_unique<MacroTable>();
    std::unique_ptr<MacroTable> working = std::make_unique<MacroTable>();
    // Where each keyboard slot's macro went at the manager's last OK: its new slot, or -1
    // when it was deleted. Keys that play a macro follow it.
    std::array<int, kKeyboardMacroSlots> slotMoves{0, 1, 2, 3, 4, 5};

    void openWorking() { *working = *saved; }
    void commitWorking() { *saved = *working; }
};

}  // namespace tq260
