#include "keys/launch_key_watcher.h"

#include <utility>

namespace tq260 {

LaunchKeyWatcher::LaunchKeyWatcher(KeyInputSource& source, MainThreadQueue& mainThread,
                                   PressHandler onPress)
    : source_(source), mainThread_(mainThread), onPress_(std::move(onPress)) {}

LaunchKeyWatcher::~LaunchKeyWatcher() {
    stop();
}

KeyInputSource::Opened LaunchKeyWatcher::start() {
    stop();
    const KeyInputSource::Opened opened = source_.open();
    if (opened != KeyInputSource::Opened::Reading) return opened;
    watching_ = true;
    thread_ = std::thread([this] { run(); });
    return opened;
}

void LaunchKeyWatcher::stop() {
    if (!thread_.joinable()) return;
    source_.stop();
    thread_.join();
}

void LaunchKeyWatcher::run() {
    while (const std::optional<KeyInput> input = source_.next()) {
        // The desktop's auto-repeat and the release are the same press still going on.
        if (input->kind != KeyInput::Kind::Down) continue;
        mainThread_.post([handler = onPress_, key = input->virtualKey] { handler(key); });
    }
    watching_ = false;
}

}  // namespace tq260
