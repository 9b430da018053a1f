#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "device/hid_trace.h"

namespace tq260 {

// What crossed the wire, as the keyboard saw it.
struct WireEntry {
    std::int64_t timeUs = 0;
    TraceChannel channel = TraceChannel::Command;
    TraceOp op = TraceOp::Set;
    std::vector<std::uint8_t> bytes;
    bool failed = false;

    // In the HID trace's line format, time in whole milliseconds.
    std::string toString() const;
};

class WireLog {
  public:
    void add(WireEntry entry);
    std::vector<WireEntry> entries() const;
    // Every entry as a trace line.
    std::vector<std::string> lines() const;
    void clear();

  private:
    mutable std::mutex mutex_;
    std::vector<WireEntry> entries_;
};

}  // namespace tq260
