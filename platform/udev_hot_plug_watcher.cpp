#include "platform/udev_hot_plug_watcher.h"

#include <libudev.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>

namespace tq260 {

UdevHotPlugWatcher::~UdevHotPlugWatcher() {
    stop();
}

bool UdevHotPlugWatcher::start(Listener listener) {
    stop();
    udev_ = udev_new();
    if (udev_ == nullptr) return false;
    // Events after the device manager has set the device up are the ones to wait for;
    // where no device manager runs (a container), the kernel's own events are all there is.
    const char* source = std::filesystem::exists("/run/udev/control") ? "udev" : "kernel";
    monitor_ = udev_monitor_new_from_netlink(udev_, source);
    wakeFd_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (monitor_ == nullptr || wakeFd_ < 0 ||
        udev_monitor_filter_add_match_subsystem_devtype(monitor_, "usb", "usb_device") < 0 ||
        udev_monitor_enable_receiving(monitor_) < 0) {
        release();
        return false;
    }
    thread_ = std::thread([this, listener = std::move(listener)] { run(listener); });
    return true;
}

void UdevHotPlugWatcher::stop() {
    if (thread_.joinable()) {
        const std::uint64_t one = 1;
        [[maybe_unused]] const auto written = write(wakeFd_, &one, sizeof one);
        thread_.join();
    }
    release();
}

void UdevHotPlugWatcher::release() {
    if (monitor_ != nullptr) monitor_ = udev_monitor_unref(monitor_);
    if (udev_ != nullptr) udev_ = udev_unref(udev_);
    if (wakeFd_ >= 0) {
        close(wakeFd_);
        wakeFd_ = -1;
    }
}

void UdevHotPlugWatcher::run(Listener listener) {
    pollfd fds[2] = {{udev_monitor_get_fd(monitor_), POLLIN, 0}, {wakeFd_, POLLIN, 0}};
    while (true) {
        if (poll(fds, 2, -1) < 0) {
            if (errno == EINTR) continue;
            return;
        }
        if (fds[1].revents != 0) return;
        if ((fds[0].revents & POLLIN) == 0) continue;
        udev_device* device = udev_monitor_receive_device(monitor_);
        if (device == nullptr) continue;
        const char* action = udev_device_get_action(device);
        const char* product = udev_device_get_property_value(device, "PRODUCT");
        const auto ids = product != nullptr ? parseUsbProduct(product) : std::nullopt;
        if (action != nullptr && ids) {
            if (std::strcmp(action, "add") == 0) {
                listener({DeviceChange::Kind::Arrival, ids->vendorId, ids->productId});
            } else if (std::strcmp(action, "remove") == 0) {
                listener({DeviceChange::Kind::Removal, ids->vendorId, ids->productId});
            }
        }
        udev_device_unref(device);
    }
}

}  // namespace tq260
