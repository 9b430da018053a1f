#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

#include "device/device_events.h"
#include "platform/diagnostics.h"

namespace tq260::testing {

// Records what the device link tells the main window, from whichever thread it arrives.
class RecordingEvents final : public DeviceEvents {
  public:
    void settingsLoaded() override {
        record([&] { ++loaded_; });
    }
    void keyboardNotAnswering() override {
        record([&] { ++notAnswering_; });
    }
    void lightingChanged(std::uint8_t effect) override {
        record([&] { effects_.push_back(effect); });
    }
    void hideWindow() override {
        record([&] { ++hides_; });
    }
    void keyboardRemoved() override {
        record([&] { ++removals_; });
    }
    void registrationFailed() override {
        record([&] { ++registrationFailures_; });
    }

    int loaded() const { return read(loaded_); }
    int notAnswering() const { return read(notAnswering_); }
    std::vector<std::uint8_t> effects() const { return read(effects_); }
    std::size_t effectCount() const {
        std::lock_guard lock(mutex_);
        return effects_.size();
    }
    int hides() const { return read(hides_); }
    int removals() const { return read(removals_); }
    int registrationFailures() const { return read(registrationFailures_); }

    // Waits (real time, bounded) until the condition on this object holds.
    template <typename Condition>
    bool waitFor(Condition condition, std::chrono::milliseconds limit = std::chrono::seconds(20)) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, limit, [&] {
            lock.unlock();
            const bool holds = condition();
            lock.lock();
            return holds;
        });
    }

  private:
    template <typename Change>
    void record(Change change) {
        std::lock_guard lock(mutex_);
        change();
        changed_.notify_all();
    }
    template <typename T>
    T read(const T& value) const {
        std::lock_guard lock(mutex_);
        return value;
    }

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    int loaded_ = 0;
    int notAnswering_ = 0;
    std::vector<std::uint8_t> effects_;
    int hides_ = 0;
    int removals_ = 0;
    int registrationFailures_ = 0;
};

class RecordingDiagnostics final : public Diagnostics {
  public:
    void debugText(std::string_view text) override {
        std::lock_guard lock(mutex_);
        lines_.emplace_back(text);
    }
    std::vector<std::string> lines() const {
        std::lock_guard lock(mutex_);
        return lines_;
    }

  private:
    mutable std::mutex mutex_;
    std::vector<std::string> lines_;
};

}  // namespace tq260::testing
