#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "keys/key_name_table.h"
#include "macro/macro_record.h"

namespace tq260 {

// The two event strings of the macro being edited. Every change below is made to both
// alike (same type and delay bytes, each with its own key byte), and none writes outside
// the 190 bytes or drops an event of the string: a change that would not fit is refused.
struct EventBuffers {
    DeviceEventString device{};
    KeyEventString key{};

    friend bool operator==(const EventBuffers&, const EventBuffers&) = default;
};

// Where the string ends: just past its last whole event. The first zero byte is not the
// end, since the high delay byte of a long event under 256 ms is 0.
std::size_t eventStringEnd(const EventString& string);

// The buffers of a record as the editor works on them: events read from the key string,
// with the device string's key bytes, up to where either string ends; a delay under 1 ms
// made 1 (a zero type byte would end the string); a first press without a delay;
// everything after the end zero. A record the editor wrote comes back unchanged, and one
// from elsewhere comes back in step.
EventBuffers editableBuffers(const MacroRecord& record);

// Inserts a press or release with no delay (2 bytes) at offset. False, and nothing
// changed, when the key has no keyboard code, offset is past the end, or the string is full.
bool insertKeyEvent(EventBuffers& buffers, std::size_t offset, bool release, std::uint8_t key,
                    const KeyNameTable& keyNames);

// Gives the event at offset a new delay (1..60000 ms), short or long form as it needs.
// False, and nothing changed, when no event starts there or a longer form does not fit.
bool setEventDelay(EventBuffers& buffers, std::size_t offset, std::uint16_t delayMs);

// Removes the event at offset with its delay; the bytes after it close up.
bool removeEvent(EventBuffers& buffers, std::size_t offset);

// The first event never waits: its delay becomes 1, its release bit stays.
void resetFirstDelay(EventBuffers& buffers);

// The lines the event list shows for the buffers: "%d ms" before an event whose delay is
// not 1 (never before a first press), then "%s dn" or "%s up" with the key's name.
std::vector<std::u16string> eventLinesOf(const EventBuffers& buffers, const KeyNameTable& keyNames);
std::u16string delayLine(int delayMs);
std::u16string keyLine(const KeyNameTable& keyNames, std::uint8_t key, bool release);
// A delay line holds " ms"; key lines never do.
bool isDelayLine(std::u16string_view line);

}  // namespace tq260
