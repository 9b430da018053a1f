#pragma once

#include <QObject>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>

#include "platform/front_application.h"

namespace tq260 {

// The executable path a desktop's script tells, as the rules compare it: made plain ("..",
// "//", "." gone) and, where the file exists, with its symbolic links resolved, as the
// system names a running program's executable. Resolving asks the file system, which may
// hang (a mount that never answers), so it runs on a thread of its own; the main thread
// never waits for it. Reports come back on the main thread in the order given; one given
// while an older is still on its way replaces that one (only where the focus ended matters).
class FrontPathResolver {
  public:
    explicit FrontPathResolver(std::function<void(const FrontApplication&)> resolved);
    ~FrontPathResolver();
    FrontPathResolver(const FrontPathResolver&) = delete;
    FrontPathResolver& operator=(const FrontPathResolver&) = delete;

    void resolve(FrontApplication front);

    // A path made plain without asking the file system; empty when it is not absolute (no
    // executable is named relative to the caller's folder).
    static std::string plain(const std::string& path);

  private:
    void run();
    void delivered();

    std::function<void(const FrontApplication&)> resolved_;
    // Where the results are handed to the main thread; gone with this, and so are they.
    QObject context_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::optional<FrontApplication> next_;
    // A report is resolved or on its way to the main thread: later ones queue behind it.
    bool inFlight_ = false;
    bool ending_ = false;
    std::thread thread_;
};

}  // namespace tq260
