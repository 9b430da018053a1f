#include "platform/evdev_key_input.h"

#include <fcntl.h>
#include <libevdev/libevdev.h>
#include <libudev.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/physical_keys.h"
#include "platform/udev_hot_plug_watcher.h"

namespace tq260 {

namespace {

bool hasId(udev_device* device, const char* attribute, std::uint16_t id) {
    const char* text = udev_device_get_sysattr_value(device, attribute);
    return text != nullptr && parseHex16(text) == id;
}

std::optional<KeyInput::Kind> kindOf(int value) {
    switch (value) {
        case 0:
            return KeyInput::Kind::Up;
        case 1:
            return KeyInput::Kind::Down;
        case 2:
            return KeyInput::Kind::Repeat;
        default:
            return std::nullopt;
    }
}

}  // namespace

EvdevKeyInput::EvdevKeyInput(std::uint16_t vendorId, std::uint16_t productId)
    : vendorId_(vendorId), productId_(productId), wakeFd_(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

EvdevKeyInput::~EvdevKeyInput() {
    closeNodes();
    if (wakeFd_ >= 0) close(wakeFd_);
}

std::vector<std::string> EvdevKeyInput::inputNodesOf(std::uint16_t vendorId,
                                                     std::uint16_t productId) {
    std::vector<std::string> paths;
    udev* context = udev_new();
    if (context == nullptr) return paths;
    udev_enumerate* enumerate = udev_enumerate_new(context);
    if (enumerate != nullptr && udev_enumerate_add_match_subsystem(enumerate, "input") >= 0 &&
        udev_enumerate_add_match_sysname(enumerate, "event*") >= 0 &&
        udev_enumerate_scan_devices(enumerate) >= 0) {
        udev_list_entry* entry = nullptr;
        udev_list_entry_foreach(entry, udev_enumerate_get_list_entry(enumerate)) {
            udev_device* device =
                udev_device_new_from_syspath(context, udev_list_entry_get_name(entry));
            if (device == nullptr) continue;
            // The parent belongs to the device and is released with it.
            udev_device* usb =
                udev_device_get_parent_with_subsystem_devtype(device, "usb", "usb_device");
            const char* node = udev_device_get_devnode(device);
            if (usb != nullptr && node != nullptr && hasId(usb, "idVendor", vendorId) &&
                hasId(usb, "idProduct", productId)) {
                paths.emplace_back(node);
            }
            udev_device_unref(device);
        }
    }
    if (enumerate != nullptr) udev_enumerate_unref(enumerate);
    udev_unref(context);
    return paths;
}

KeyInputSource::Opened EvdevKeyInput::open() {
    return openNodes(inputNodesOf(vendorId_, productId_));
}

KeyInputSource::Opened EvdevKeyInput::openNodes(const std::vector<std::string>& paths) {
    closeNodes();
    pending_.clear();
    // A stop asked of the previous watching is over.
    std::uint64_t count = 0;
    [[maybe_unused]] const auto drained = read(wakeFd_, &count, sizeof count);
    bool refused = false;
    for (const std::string& path : paths) {
        const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) {
            refused = refused || errno == EACCES || errno == EPERM;
            continue;
        }
        libevdev* device = nullptr;
        // Only nodes that report keys matter; the keyboard's pointer node, if any, is left.
        if (libevdev_new_from_fd(fd, &device) < 0 || !libevdev_has_event_type(device, EV_KEY)) {
            if (device != nullptr) libevdev_free(device);
            close(fd);
            continue;
        }
        nodes_.push_back({fd, device});
    }
    if (!nodes_.empty()) return Opened::Reading;
    return refused ? Opened::NoPermission : Opened::NoKeyboard;
}

void EvdevKeyInput::addEventStream(int fd) {
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    nodes_.push_back({fd, nullptr});
}

void EvdevKeyInput::closeNodes() {
    for (Node& node : nodes_) {
        if (node.device != nullptr) libevdev_free(node.device);
        close(node.fd);
    }
    nodes_.clear();
}

void EvdevKeyInput::stop() {
    const std::uint64_t one = 1;
    [[maybe_unused]] const auto written = write(wakeFd_, &one, sizeof one);
}

void EvdevKeyInput::take(const input_event& event) {
    if (event.type != EV_KEY) return;
    const std::uint8_t key = virtualKeyFromEvdev(event.code);
    const auto kind = kindOf(event.value);
    if (key != 0 && kind) pending_.push_back({key, *kind});
}

bool EvdevKeyInput::drainStream(Node& node) {
    for (;;) {
        input_event event{};
        const ssize_t got = ::read(node.fd, &event, sizeof event);
        if (got == static_cast<ssize_t>(sizeof event)) {
            take(event);
            continue;
        }
        if (got < 0 && errno == EINTR) continue;
        // Nothing more for now; the end of the stream, or a broken one, is gone.
        return got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK);
    }
}

bool EvdevKeyInput::drain(Node& node) {
    if (node.device == nullptr) return drainStream(node);
    input_event event{};
    unsigned flags = LIBEVDEV_READ_FLAG_NORMAL;
    for (;;) {
        const int result = libevdev_next_event(node.device, flags, &event);
        if (result == -EAGAIN) {
            // The end of a resynchronisation, or nothing more to read.
            if (flags == LIBEVDEV_READ_FLAG_SYNC) {
                flags = LIBEVDEV_READ_FLAG_NORMAL;
                continue;
            }
            return true;
        }
        if (result == LIBEVDEV_READ_STATUS_SYNC) {
            // Events were dropped: the state libevdev recovers is not a press the user made
            // now, so nothing is started from it.
            flags = LIBEVDEV_READ_FLAG_SYNC;
            continue;
        }
        if (result != LIBEVDEV_READ_STATUS_SUCCESS) return false;
        if (flags != LIBEVDEV_READ_FLAG_SYNC) take(event);
    }
}

std::optional<KeyInput> EvdevKeyInput::next() {
    for (;;) {
        if (!pending_.empty()) {
            const KeyInput input = pending_.front();
            pending_.pop_front();
            return input;
        }
        if (nodes_.empty()) return std::nullopt;
        std::vector<pollfd> fds;
        fds.push_back({wakeFd_, POLLIN, 0});
        for (const Node& node : nodes_) fds.push_back({node.fd, POLLIN, 0});
        if (poll(fds.data(), fds.size(), -1) < 0) {
            if (errno == EINTR) continue;
            return std::nullopt;
        }
        if (fds[0].revents != 0) return std::nullopt;
        std::vector<Node> kept;
        for (std::size_t i = 0; i < nodes_.size(); ++i) {
            const short events = fds[i + 1].revents;
            const bool gone = (events & (POLLERR | POLLHUP | POLLNVAL)) != 0 ||
                              ((events & POLLIN) != 0 && !drain(nodes_[i]));
            if (gone) {
                if (nodes_[i].device != nullptr) libevdev_free(nodes_[i].device);
                close(nodes_[i].fd);
            } else {
                kept.push_back(nodes_[i]);
            }
        }
        nodes_ = std::move(kept);
    }
}

}  // namespace tq260
