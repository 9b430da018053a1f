#pragma once

#include <QObject>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "app/qt_platform.h"
#include "platform/front_application.h"
#include "platform/main_thread_queue.h"

namespace tq260 {

// The executable path a desktop's script tells, as the rules compare it: made plain ("..",
// "//", "." gone) and, where the file exists, with its symbolic links resolved, as the
// system names a running program's executable; the plain path as told is kept beside it,
// since a rule may name the link. Resolving asks the file system, which may hang (a mount
// that never answers), so it runs on a thread of its own; the main thread never waits for
// it. Only where the focus ended matters: a report is delivered on the main thread only
// while no newer one was given, so an older never comes after a newer.
class FrontPathResolver {
  public:
    // Where the links of a plain, absolute path lead; nothing where that cannot be told.
    // May block.
    using RealPath = std::function<std::optional<std::string>(const std::string&)>;

    explicit FrontPathResolver(std::function<void(const FrontApplication&)> resolved,
                               RealPath realPath = canonicalPath)
        : FrontPathResolver(std::move(resolved), std::move(realPath), ownQueue_) {}
    // The results reach the main thread through the queue given, which outlives this.
    FrontPathResolver(std::function<void(const FrontApplication&)> resolved, RealPath realPath,
                      MainThreadQueue& results);
    ~FrontPathResolver();
    FrontPathResolver(const FrontPathResolver&) = delete;
    FrontPathResolver& operator=(const FrontPathResolver&) = delete;

    // On the main thread.
    void resolve(FrontApplication front);

    // A path made plain without asking the file system; empty when it is not absolute (no
    // executable is named relative to the caller's folder).
    static std::string plain(const std::string& path);
    static std::optional<std::string> canonicalPath(const std::string& path);

  private:
    struct Report {
        FrontApplication front;
        std::uint64_t number;
    };
    void run();

    std::function<void(const FrontApplication&)> resolved_;
    RealPath realPath_;
    // How many reports were given; only the main thread counts and compares.
    std::uint64_t given_ = 0;
    // Where the results are handed to the main thread unless a queue is given; gone with
    // this, and so are they.
    QObject context_;
    QtMainThreadQueue ownQueue_{&context_};
    MainThreadQueue& results_;
    // Shared with the results on their way: dropped once this is gone.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
    std::mutex mutex_;
    std::condition_variable wake_;
    // The newest report still to be resolved: a newer replaces it.
    std::optional<Report> next_;
    bool ending_ = false;
    std::thread thread_;
};

}  // namespace tq260
