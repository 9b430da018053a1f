#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>

#include "platform/key_input_source.h"

namespace tq260::testing {

// The keyboard's input nodes as a test drives them: key inputs fed one by one, the nodes
// vanishing, and the permission to open them.
class ScriptedKeyInput final : public KeyInputSource {
  public:
    Opened open() override {
        std::lock_guard lock(mutex_);
        ++opens;
        ended_ = false;
        stopped_ = false;
        return opens_as;
    }
    std::optional<KeyInput> next() override {
        std::unique_lock lock(mutex_);
        ++waiting_;
        changed_.notify_all();
        changed_.wait(lock, [&] { return !inputs_.empty() || ended_ || stopped_; });
        --waiting_;
        if (inputs_.empty()) return std::nullopt;
        const KeyInput input = inputs_.front();
        inputs_.pop_front();
        ++taken_;
        changed_.notify_all();
        return input;
    }
    void stop() override {
        std::lock_guard lock(mutex_);
        stopped_ = true;
        changed_.notify_all();
    }

    void feed(KeyInput input) {
        std::lock_guard lock(mutex_);
        inputs_.push_back(input);
        changed_.notify_all();
    }
    void press(std::uint8_t key) {
        feed({key, KeyInput::Kind::Down});
        feed({key, KeyInput::Kind::Up});
    }
    // The keyboard was unplugged: its nodes are gone once what was read is taken.
    void vanish() {
        std::lock_guard lock(mutex_);
        ended_ = true;
        changed_.notify_all();
    }
    // Waits until the reader has taken everything fed and waits for more.
    bool waitUntilAllTaken(std::chrono::milliseconds limit = std::chrono::seconds(10)) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, limit, [&] { return inputs_.empty() && waiting_ > 0; });
    }
    int taken() const {
        std::lock_guard lock(mutex_);
        return taken_;
    }

    Opened opens_as = Opened::Reading;
    int opens = 0;

  private:
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<KeyInput> inputs_;
    bool ended_ = false;
    bool stopped_ = false;
    int waiting_ = 0;
    int taken_ = 0;
};

}  // namespace tq260::testing
