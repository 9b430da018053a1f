#include "app/front_path_resolver.h"

#include <filesystem>
#include <system_error>

namespace tq260 {

FrontPathResolver::FrontPathResolver(std::function<void(const FrontApplication&)> resolved)
    : resolved_(std::move(resolved)), thread_([this] { run(); }) {}

FrontPathResolver::~FrontPathResolver() {
    {
        std::lock_guard lock(mutex_);
        ending_ = true;
    }
    wake_.notify_one();
    thread_.join();
}

std::string FrontPathResolver::plain(const std::string& path) {
    const std::filesystem::path given(path);
    if (!given.is_absolute()) return {};
    std::string normal = given.lexically_normal().string();
    // "/usr/bin/" names the folder, not an executable in it.
    if (normal.size() > 1 && normal.back() == '/') normal.pop_back();
    return normal;
}

void FrontPathResolver::resolve(FrontApplication front) {
    front.executablePath = plain(front.executablePath);
    {
        std::lock_guard lock(mutex_);
        // Nothing to ask the file system and nothing before it: at once.
        if (!front.executablePath.empty() || inFlight_) {
            next_ = std::move(front);
            wake_.notify_one();
            return;
        }
    }
    resolved_(front);
}

void FrontPathResolver::run() {
    std::unique_lock lock(mutex_);
    while (true) {
        wake_.wait(lock, [this] { return ending_ || (next_ && !inFlight_); });
        if (ending_) return;
        FrontApplication front = std::move(*next_);
        next_.reset();
        inFlight_ = true;
        lock.unlock();
        if (!front.executablePath.empty()) {
            std::error_code error;
            const auto real = std::filesystem::canonical(front.executablePath, error);
            if (!error && real.string().size() <= kMaxExecutablePathBytes) {
                front.executablePath = real.string();
            }
        }
        QMetaObject::invokeMethod(
            &context_,
            [this, front] {
                resolved_(front);
                delivered();
            },
            Qt::QueuedConnection);
        lock.lock();
    }
}

void FrontPathResolver::delivered() {
    std::lock_guard lock(mutex_);
    inFlight_ = false;
    wake_.notify_one();
}

}  // namespace tq260
