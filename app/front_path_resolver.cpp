#include "app/front_path_resolver.h"

#include <filesystem>
#include <system_error>
#include <utility>

namespace tq260 {

FrontPathResolver::FrontPathResolver(std::function<void(const FrontApplication&)> resolved,
                                     RealPath realPath, MainThreadQueue& results)
    : resolved_(std::move(resolved)),
      realPath_(std::move(realPath)),
      results_(results),
      thread_([this] { run(); }) {}

FrontPathResolver::~FrontPathResolver() {
    *alive_ = false;
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

std::optional<std::string> FrontPathResolver::canonicalPath(const std::string& path) {
    std::error_code error;
    const auto real = std::filesystem::canonical(path, error);
    if (error) return std::nullopt;
    return real.string();
}

void FrontPathResolver::resolve(FrontApplication front) {
    front.executablePath = plain(front.executablePath);
    front.toldPath.clear();
    const std::uint64_t number = ++given_;
    if (front.executablePath.empty()) {
        // Nothing to ask the file system: at once. An older report still to be resolved is
        // dropped, and one being resolved now is dropped when it comes (it is not the newest).
        {
            std::lock_guard lock(mutex_);
            next_.reset();
        }
        resolved_(front);
        return;
    }
    {
        std::lock_guard lock(mutex_);
        next_ = Report{std::move(front), number};
    }
    wake_.notify_one();
}

void FrontPathResolver::run() {
    std::unique_lock lock(mutex_);
    while (true) {
        wake_.wait(lock, [this] { return ending_ || next_; });
        if (ending_) return;
        Report report = std::move(*next_);
        next_.reset();
        lock.unlock();
        FrontApplication& front = report.front;
        const auto real = realPath_(front.executablePath);
        if (real && *real != front.executablePath && real->size() <= kMaxExecutablePathBytes) {
            front.toldPath = std::exchange(front.executablePath, *real);
        }
        results_.post([this, alive = alive_, report = std::move(report)] {
            if (*alive && report.number == given_) resolved_(report.front);
        });
        lock.lock();
    }
}

}  // namespace tq260
