#include "macro/macro_event.h"

#include <algorithm>

#include "macro/event_buffers.h"

namespace tq260 {

namespace {

std::uint8_t delayBits(std::uint8_t type) {
    return type & kDelayBits;
}

}  // namespace

std::size_t macroEventSize(std::uint8_t type) {
    return delayBits(type) == kLongDelay ? 4 : 2;
}

int macroEventLines(std::uint8_t type) {
    const std::uint8_t delay = delayBits(type);
    return delay == kLongDelay || delay > 1 ? 2 : 1;
}

std::vector<std::uint8_t> encodeMacroEvent(const MacroEvent& event) {
    const std::uint16_t delay = std::clamp<std::uint16_t>(event.delayMs, 1, kMaxMacroDelayMs);
    const std::uint8_t release = event.release ? kReleaseBit : 0;
    if (delay < kLongDelay) return {static_cast<std::uint8_t>(release | delay), event.key};
    return {static_cast<std::uint8_t>(release | kLongDelay), event.key,
            static_cast<std::uint8_t>(delay >> 8), static_cast<std::uint8_t>(delay & 0xFF)};
}

std::optional<MacroEvent> macroEventAt(const EventString& string, std::size_t offset) {
    if (offset + 1 >= string.size() || string[offset + 1] == 0) return std::nullopt;
    const std::uint8_t type = string[offset];
    if (offset + macroEventSize(type) > string.size()) return std::nullopt;
    MacroEvent event;
    event.release = (type & kReleaseBit) != 0;
    event.key = string[offset + 1];
    event.delayMs = delayBits(type) == kLongDelay
                        ? static_cast<std::uint16_t>(string[offset + 2] << 8 | string[offset + 3])
                        : delayBits(type);
    return event;
}

std::size_t eventStringLength(const EventString& string) {
    return static_cast<std::size_t>(std::find(string.begin(), string.end(), 0) - string.begin());
}

std::size_t writeMacroEvent(EventString& deviceEvents, EventString& keyEvents, std::size_t offset,
                            const MacroEvent& event, const KeyNameTable& keyNames) {
    const std::uint8_t usage = keyNames.usage(event.key);
    if (usage == 0 || event.key == 0) return 0;
    std::vector<std::uint8_t> bytes = encodeMacroEvent(event);
    if (offset + bytes.size() > kEventStringSize) return 0;
    std::copy(bytes.begin(), bytes.end(), keyEvents.begin() + static_cast<std::ptrdiff_t>(offset));
    bytes[1] = usage;
    std::copy(bytes.begin(), bytes.end(),
              deviceEvents.begin() + static_cast<std::ptrdiff_t>(offset));
    return bytes.size();
}

std::size_t LineMapping::eventStartingAt(const KeyEventString& keyEvents, std::size_t line) {
    std::size_t offset = 0;
    std::size_t lines = 0;
    while (true) {
        if (lines == line) return offset;
        if (!macroEventAt(keyEvents, offset)) return 0;
        lines += static_cast<std::size_t>(macroEventLines(keyEvents[offset]));
        offset += macroEventSize(keyEvents[offset]);
    }
}

std::size_t LineMapping::eventEndingAt(const KeyEventString& keyEvents, std::size_t line) {
    std::size_t offset = 0;
    std::size_t lines = 0;
    while (true) {
        if (!macroEventAt(keyEvents, offset)) return 0;
        lines += static_cast<std::size_t>(macroEventLines(keyEvents[offset]));
        if (lines == line + 1) return offset;
        offset += macroEventSize(keyEvents[offset]);
    }
}

std::vector<std::u16string> macroEventLines(const MacroRecord& record,
                                            const KeyNameTable& keyNames) {
    return eventLinesOf(editableBuffers(record), keyNames);
}

}  // namespace tq260
