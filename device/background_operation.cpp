#include "device/background_operation.h"

namespace tq260 {

BackgroundOperation::BackgroundOperation(MainThreadQueue& mainThread) : mainThread_(mainThread) {}

BackgroundOperation::~BackgroundOperation() {
    *alive_ = false;
    waitForWork();
}

bool BackgroundOperation::start(Work work, ProgressHandler onProgress, DoneHandler onDone) {
    if (busy_) return false;
    waitForWork();  // the last one has ended already; this only reaps its thread
    busy_ = true;
    thread_ = std::thread([this, alive = alive_, work = std::move(work),
                           onProgress = std::move(onProgress), onDone = std::move(onDone)] {
        MainThreadQueue& mainThread = mainThread_;
        const ProgressListener progress = [&mainThread, alive,
                                           &onProgress](const OperationProgress& step) {
            mainThread.post([alive, onProgress, step] {
                if (*alive) onProgress(step);
            });
        };
        const OperationResult result = work(progress);
        mainThread.post([this, alive, onDone, result] {
            if (!*alive) return;
            busy_ = false;
            onDone(result);
        });
    });
    return true;
}

void BackgroundOperation::waitForWork() {
    if (thread_.joinable()) thread_.join();
}

}  // namespace tq260
