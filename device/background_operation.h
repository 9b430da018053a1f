#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <thread>

#include "device/operation_progress.h"
#include "device/operation_result.h"
#include "platform/main_thread_queue.h"

namespace tq260 {

// Runs one long operation with the keyboard (Save, the factory reset) on a thread of its
// own, so the window keeps painting and answering meanwhile. Its progress and its end are
// posted to the main thread; the thread never waits on the main thread, so waiting for it
// never deadlocks. One operation at a time.
class BackgroundOperation {
  public:
    using Work = std::function<OperationResult(const ProgressListener&)>;
    using ProgressHandler = std::function<void(const OperationProgress&)>;
    using DoneHandler = std::function<void(OperationResult)>;

    explicit BackgroundOperation(MainThreadQueue& mainThread);
    // Waits for a running operation; its end is then never handled.
    ~BackgroundOperation();
    BackgroundOperation(const BackgroundOperation&) = delete;
    BackgroundOperation& operator=(const BackgroundOperation&) = delete;

    // From the start until its end has been handled on the main thread.
    bool busy() const { return busy_; }
    // Starts work unless an operation is busy (false then). onProgress and onDone run on
    // the main thread.
    bool start(Work work, ProgressHandler onProgress, DoneHandler onDone);
    // Blocks until the work itself has ended (its end may still wait in the queue).
    void waitForWork();

  private:
    MainThreadQueue& mainThread_;
    // Shared with the posted tasks, which do nothing once the owner is gone.
    std::shared_ptr<std::atomic<bool>> alive_ = std::make_shared<std::atomic<bool>>(true);
    bool busy_ = false;
    std::thread thread_;
};

}  // namespace tq260
