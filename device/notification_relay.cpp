#include "device/notification_relay.h"

namespace tq260 {

// Lives as long as any posted task, so a task that runs after the relay is gone finds it.
struct NotificationRelay::Shared {
    std::mutex mutex;
    std::condition_variable changed;
    bool closed = false;
};

namespace {

enum class Delivery { Waiting, Running, Ran, Abandoned };

}  // namespace

NotificationRelay::NotificationRelay(MainThreadQueue& queue)
    : queue_(queue), shared_(std::make_shared<Shared>()) {}

NotificationRelay::~NotificationRelay() {
    close();
}

bool NotificationRelay::deliver(std::function<void()> task, const std::atomic<bool>* stop) {
    auto shared = shared_;
    auto state = std::make_shared<Delivery>(Delivery::Waiting);
    {
        std::lock_guard lock(shared->mutex);
        if (shared->closed) return false;
    }
    queue_.post([shared, state, task = std::move(task)] {
        {
            std::lock_guard lock(shared->mutex);
            if (*state != Delivery::Waiting) return;
            *state = Delivery::Running;
        }
        // The worker keeps waiting while the task runs, so nothing it points at goes away.
        task();
        std::lock_guard lock(shared->mutex);
        *state = Delivery::Ran;
        shared->changed.notify_all();
    });
    std::unique_lock lock(shared->mutex);
    shared->changed.wait(lock, [&] {
        if (*state == Delivery::Ran) return true;
        return *state == Delivery::Waiting && (shared->closed || (stop != nullptr && stop->load()));
    });
    if (*state == Delivery::Ran) return true;
    *state = Delivery::Abandoned;
    return false;
}

void NotificationRelay::wake() {
    std::lock_guard lock(shared_->mutex);
    shared_->changed.notify_all();
}

void NotificationRelay::close() {
    std::lock_guard lock(shared_->mutex);
    shared_->closed = true;
    shared_->changed.notify_all();
}

}  // namespace tq260
