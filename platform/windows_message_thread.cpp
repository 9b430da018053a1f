#include "platform/windows_message_thread.h"

#include <windows.h>

#include <future>

namespace tq260 {

WindowsMessageThread::~WindowsMessageThread() {
    stop();
}

bool WindowsMessageThread::start(SetUp setUp, std::function<void()> whenRunning) {
    stop();
    std::promise<unsigned long> ready;
    auto started = ready.get_future();
    thread_ = std::thread([setUp = std::move(setUp), whenRunning = std::move(whenRunning), &ready] {
        MSG message;
        // Makes the thread's message queue before anyone posts to it.
        PeekMessageW(&message, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
        const std::optional<Cleanup> cleanup = setUp();
        ready.set_value(cleanup ? GetCurrentThreadId() : 0);
        if (!cleanup) return;
        if (whenRunning) whenRunning();
        while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
        if (*cleanup) (*cleanup)();
    });
    threadId_ = started.get();
    if (threadId_ == 0) {
        thread_.join();
        return false;
    }
    return true;
}

void WindowsMessageThread::stop() {
    if (!thread_.joinable()) return;
    PostThreadMessageW(threadId_, WM_QUIT, 0, 0);
    thread_.join();
    threadId_ = 0;
}

}  // namespace tq260
