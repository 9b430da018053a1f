#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "macro/event_buffers.h"

namespace tq260 {

// What the macro manager knows while it records and edits one macro.
struct RecorderState {
    bool recording = false;      // the Record button shows "Stop Recording"
    bool hookInstalled = false;  // installed and not yet removed
    bool insertMode = false;     // the next press and release go in at the insertion line
    int insertionLine = 0;
    EventBuffers buffers;               // the selected macro's two strings, being edited
    std::size_t eventLength = 0;        // bytes recorded so far
    std::size_t keyLineCount = 0;       // key lines in the event list
    std::u16string lastEventText;       // key line of the last recorded event; tells repeats
    std::int64_t lastEventTime = 0;     // counter at the previous report
    std::int64_t counterFrequency = 0;  // counter ticks per second
    // Keys whose press was recorded and whose release has not come yet: only their
    // releases are recorded, and room is kept for them.
    std::vector<std::uint8_t> heldPresses;
    bool full = false;           // a press was refused for want of room
    bool recordDelay = false;    // "Record Delay" ticked
    bool numberOfLoops = false;  // "Number of Loops" ticked
};

}  // namespace tq260
