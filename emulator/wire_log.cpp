#include "emulator/wire_log.h"

namespace tq260 {

std::string WireEntry::toString() const {
    return formatTraceLine(timeUs / 1000, channel, op, bytes, failed);
}

void WireLog::add(WireEntry entry) {
    std::lock_guard lock(mutex_);
    entries_.push_back(std::move(entry));
}

std::vector<WireEntry> WireLog::entries() const {
    std::lock_guard lock(mutex_);
    return entries_;
}

std::vector<std::string> WireLog::lines() const {
    std::lock_guard lock(mutex_);
    std::vector<std::string> result;
    result.reserve(entries_.size());
    for (const WireEntry& entry : entries_) result.push_back(entry.toString());
    return result;
}

void WireLog::clear() {
    std::lock_guard lock(mutex_);
    entries_.clear();
}

}  // namespace tq260
