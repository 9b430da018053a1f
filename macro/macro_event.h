#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "keys/key_name_table.h"
#include "macro/macro_record.h"

namespace tq260 {

inline constexpr std::uint8_t kReleaseBit = 0x80;
inline constexpr std::uint8_t kDelayBits = 0x7F;
inline constexpr std::uint8_t kLongDelay = 127;
inline constexpr std::uint16_t kMaxMacroDelayMs = 60'000;

// One event of an event string: the delay before it, then the key going down or up.
// Delays 1..126 fit the type byte (2 bytes in all); 127..60000 follow it big-endian
// (4 bytes). Delay 1 means "no delay".
struct MacroEvent {
    bool release = false;
    std::uint8_t key = 0;
    std::uint16_t delayMs = 1;
};

// 2 or 4, from the type byte.
std::size_t macroEventSize(std::uint8_t type);
// The lines the editor counts for an event: 2 when it shows a delay, else 1.
int macroEventLines(std::uint8_t type);

// The event's bytes. A delay under 1 ms is stored as 1 (there is no way to write 0) and
// one over 60000 as 60000.
std::vector<std::uint8_t> encodeMacroEvent(const MacroEvent& event);

// The event at offset, or nothing at the end of the string: its key byte is 0, or the
// event would run past the 190 bytes (garbage from a file or the keyboard ends the string
// there instead of being read beyond it).
std::optional<MacroEvent> macroEventAt(const EventString& string, std::size_t offset);

// Bytes before the first zero byte.
std::size_t eventStringLength(const EventString& string);

// Writes one event at offset into both strings of a macro: the key's virtual-key code into
// the key string and its keyboard code into the device string. Nothing is written, and 0
// returned, for a key without a keyboard code (its zero byte would end the device string)
// or when the event does not fit; otherwise the event's size.
std::size_t writeMacroEvent(EventString& deviceEvents, EventString& keyEvents, std::size_t offset,
                            const MacroEvent& event, const KeyNameTable& keyNames);

// How the editor finds an event from a line of the event list: the byte offset, in the key
// string, of the event that starts at line L (L equal to the number of lines gives the
// end, where an event is appended) or of the event that ends at line L. Both give 0 where
// no line L exists.
struct LineMapping {
    static std::size_t eventStartingAt(const KeyEventString& keyEvents, std::size_t line);
    static std::size_t eventEndingAt(const KeyEventString& keyEvents, std::size_t line);
};

// The event list of a macro: a "%d ms" line before an event whose delay is not 1 (never
// before a first press), then "%s dn" or "%s up" with the key's name.
std::vector<std::u16string> macroEventLines(const MacroRecord& record,
                                            const KeyNameTable& keyNames);

}  // namespace tq260
