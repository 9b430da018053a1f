#include "macro/event_buffers.h"

#include <algorithm>

#include "macro/macro_event.h"

namespace tq260 {

namespace {

constexpr std::size_t kShortEvent = 2;
constexpr std::size_t kLongEvent = 4;

// Moves the bytes from offset on right by count; the string's end has room for them.
void openGap(EventString& string, std::size_t offset, std::size_t count) {
    std::copy_backward(string.begin() + static_cast<std::ptrdiff_t>(offset),
                       string.end() - static_cast<std::ptrdiff_t>(count), string.end());
}

// Moves the bytes after offset + count left over them; the end fills with zeros.
void closeGap(EventString& string, std::size_t offset, std::size_t count) {
    std::copy(string.begin() + static_cast<std::ptrdiff_t>(offset + count), string.end(),
              string.begin() + static_cast<std::ptrdiff_t>(offset));
    std::fill(string.end() - static_cast<std::ptrdiff_t>(count), string.end(), 0);
}

template <typename Change>
void inBoth(EventBuffers& buffers, Change change) {
    change(buffers.device);
    change(buffers.key);
}

}  // namespace

std::size_t eventStringEnd(const EventString& string) {
    std::size_t offset = 0;
    while (macroEventAt(string, offset)) offset += macroEventSize(string[offset]);
    return offset;
}

EventBuffers editableBuffers(const MacroRecord& record) {
    EventBuffers buffers;
    std::size_t offset = 0;
    while (const auto event = macroEventAt(record.keyEvents, offset)) {
        // The device string decides where the macro ends, as the keyboard plays it.
        const std::uint8_t deviceKey = record.deviceEvents[offset + 1];
        if (deviceKey == 0) break;
        const std::size_t size = macroEventSize(record.keyEvents[offset]);
        std::copy_n(record.keyEvents.begin() + static_cast<std::ptrdiff_t>(offset), size,
                    buffers.key.begin() + static_cast<std::ptrdiff_t>(offset));
        std::copy_n(record.keyEvents.begin() + static_cast<std::ptrdiff_t>(offset), size,
                    buffers.device.begin() + static_cast<std::ptrdiff_t>(offset));
        buffers.device[offset + 1] = deviceKey;
        if ((buffers.key[offset] & kDelayBits) == 0) {
            buffers.key[offset] |= 1;
            buffers.device[offset] |= 1;
        }
        offset += size;
    }
    // The list never shows a first press's delay, so it must not count as a line either.
    if ((buffers.key[0] & kReleaseBit) == 0) resetFirstDelay(buffers);
    return buffers;
}

bool insertKeyEvent(EventBuffers& buffers, std::size_t offset, bool release, std::uint8_t key,
                    const KeyNameTable& keyNames) {
    const std::uint8_t usage = keyNames.usage(key);
    const std::size_t end = eventStringEnd(buffers.key);
    if (key == 0 || usage == 0 || offset > end || end + kShortEvent > kEventStringSize) {
        return false;
    }
    inBoth(buffers, [&](EventString& s) { openGap(s, offset, kShortEvent); });
    const std::uint8_t type = release ? kReleaseBit | 1 : 1;
    buffers.key[offset] = type;
    buffers.key[offset + 1] = key;
    buffers.device[offset] = type;
    buffers.device[offset + 1] = usage;
    return true;
}

bool setEventDelay(EventBuffers& buffers, std::size_t offset, std::uint16_t delayMs) {
    const auto event = macroEventAt(buffers.key, offset);
    if (!event) return false;
    const std::uint16_t delay = std::clamp<std::uint16_t>(delayMs, 1, kMaxMacroDelayMs);
    const std::size_t oldSize = macroEventSize(buffers.key[offset]);
    const std::size_t newSize = delay >= kLongDelay ? kLongEvent : kShortEvent;
    if (newSize > oldSize) {
        if (eventStringEnd(buffers.key) + (newSize - oldSize) > kEventStringSize) return false;
        inBoth(buffers,
               [&](EventString& s) { openGap(s, offset + kShortEvent, newSize - oldSize); });
    } else if (newSize < oldSize) {
        inBoth(buffers,
               [&](EventString& s) { closeGap(s, offset + kShortEvent, oldSize - newSize); });
    }
    const std::uint8_t release = event->release ? kReleaseBit : 0;
    inBoth(buffers, [&](EventString& s) {
        s[offset] = static_cast<std::uint8_t>(release | std::min<std::uint16_t>(delay, kLongDelay));
        if (newSize == kLongEvent) {
            s[offset + 2] = static_cast<std::uint8_t>(delay >> 8);
            s[offset + 3] = static_cast<std::uint8_t>(delay & 0xFF);
        }
    });
    return true;
}

bool removeEvent(EventBuffers& buffers, std::size_t offset) {
    if (!macroEventAt(buffers.key, offset)) return false;
    const std::size_t size = macroEventSize(buffers.key[offset]);
    inBoth(buffers, [&](EventString& s) { closeGap(s, offset, size); });
    return true;
}

void resetFirstDelay(EventBuffers& buffers) {
    // Through the delay setter: a long first event loses its delay bytes with its form.
    setEventDelay(buffers, 0, 1);
}

std::u16string delayLine(int delayMs) {
    const std::string text = std::to_string(delayMs) + " ms";
    return {text.begin(), text.end()};
}

std::u16string keyLine(const KeyNameTable& keyNames, std::uint8_t key, bool release) {
    return keyNames.name(key) + (release ? u" up" : u" dn");
}

bool isDelayLine(std::u16string_view line) {
    return line.find(u" ms") != std::u16string_view::npos;
}

std::vector<std::u16string> eventLinesOf(const EventBuffers& buffers,
                                         const KeyNameTable& keyNames) {
    std::vector<std::u16string> lines;
    int keyLines = 0;
    std::size_t offset = 0;
    while (const auto event = macroEventAt(buffers.key, offset)) {
        if (buffers.device[offset + 1] == 0) break;
        if (event->delayMs != 1 && (event->release || keyLines > 0)) {
            lines.push_back(delayLine(event->delayMs));
        }
        lines.push_back(keyLine(keyNames, event->key, event->release));
        ++keyLines;
        offset += macroEventSize(buffers.key[offset]);
    }
    return lines;
}

}  // namespace tq260
