#include "emulator/usb/functionfs_keyboard.h"

#include <fcntl.h>
#include <linux/usb/ch9.h>
#include <linux/usb/functionfs.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "device/command_transaction.h"
#include "device/feature_report.h"
#include "emulator/usb/keyboard_report_descriptors.h"

namespace tq260 {

namespace {

constexpr std::uint8_t kGetReport = 0x01;
constexpr std::uint8_t kGetIdle = 0x02;
constexpr std::uint8_t kGetProtocol = 0x03;
constexpr std::uint8_t kSetReport = 0x09;
constexpr std::uint8_t kOutputReport = 2;
constexpr std::uint8_t kFeatureReport = 3;
constexpr std::uint8_t kReportDescriptorType = 0x22;
constexpr std::uint8_t kClassToInterface = USB_TYPE_CLASS | USB_RECIP_INTERFACE;

bool writeAll(int fd, const std::vector<std::uint8_t>& bytes) {
    return ::write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
}

std::uint16_t le16(__le16 value) {
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(&value);
    return static_cast<std::uint16_t>(bytes[0] | (bytes[1] << 8));
}

}  // namespace

FunctionFsKeyboard::FunctionFsKeyboard(VirtualKeyboard& keyboard, std::filesystem::path functionFs,
                                       Announce announce)
    : keyboard_(keyboard),
      functionFs_(std::move(functionFs)),
      announce_(std::move(announce)),
      stopFd_(eventfd(0, EFD_CLOEXEC)) {}

FunctionFsKeyboard::~FunctionFsKeyboard() {
    stop();
    for (InEndpoint& endpoint : ins_) {
        if (endpoint.thread.joinable()) endpoint.thread.join();
        if (endpoint.fd >= 0) ::close(endpoint.fd);
    }
    if (commandOut_.joinable()) commandOut_.join();
    if (commandOutFd_ >= 0) ::close(commandOutFd_);
    if (ep0_ >= 0) ::close(ep0_);
    if (stopFd_ >= 0) ::close(stopFd_);
}

FunctionFsKeyboard::InEndpoint& FunctionFsKeyboard::in(KeyboardEndpoint endpoint) {
    return ins_[static_cast<std::size_t>(static_cast<int>(endpoint) - 1)];
}

bool FunctionFsKeyboard::open(std::string& error) {
    ep0_ = ::open((functionFs_ / "ep0").c_str(), O_RDWR | O_CLOEXEC);
    if (ep0_ < 0 || !writeAll(ep0_, keyboardFunctionDescriptors()) ||
        !writeAll(ep0_, keyboardFunctionStrings())) {
        error = "the function in " + functionFs_.string() +
                " refused its descriptors: " + std::strerror(errno);
        return false;
    }
    // Non-blocking only while the host has not enabled the endpoints: a transfer on an enabled
    // one still waits for the host.
    const auto openEndpoint = [&](KeyboardEndpoint endpoint, int flags) {
        const auto name = "ep" + std::to_string(static_cast<int>(endpoint));
        return ::open((functionFs_ / name).c_str(), flags | O_NONBLOCK | O_CLOEXEC);
    };
    for (int n = 1; n < kKeyboardEndpointCount; ++n) {
        const auto endpoint = static_cast<KeyboardEndpoint>(n);
        in(endpoint).fd = openEndpoint(endpoint, O_WRONLY);
    }
    commandOutFd_ = openEndpoint(KeyboardEndpoint::CommandOut, O_RDONLY);
    if (commandOutFd_ < 0 ||
        std::any_of(ins_.begin(), ins_.end(), [](const InEndpoint& e) { return e.fd < 0; })) {
        error = "cannot open the endpoints in " + functionFs_.string();
        return false;
    }
    for (InEndpoint& endpoint : ins_) {
        endpoint.thread = std::thread([this, &endpoint] { serveIn(endpoint); });
    }
    commandOut_ = std::thread([this] { serveCommandOut(); });
    return true;
}

void FunctionFsKeyboard::stop() {
    stopping_ = true;
    if (stopFd_ >= 0) {
        const std::uint64_t one = 1;
        [[maybe_unused]] const auto written = ::write(stopFd_, &one, sizeof one);
    }
    for (InEndpoint& endpoint : ins_) {
        std::lock_guard lock(endpoint.mutex);
        endpoint.wake.notify_all();
    }
    std::lock_guard lock(stateMutex_);
    stateChanged_.notify_all();
}

void FunctionFsKeyboard::run() {
    std::array<usb_functionfs_event, 4> events{};
    while (!stopping_) {
        pollfd fds[] = {{ep0_, POLLIN, 0}, {stopFd_, POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0 && errno != EINTR) return;
        if ((fds[1].revents & POLLIN) != 0) return;
        if ((fds[0].revents & POLLIN) == 0) continue;
        const ssize_t n = ::read(ep0_, events.data(), sizeof events);
        if (n < 0) {
            // A request the host gave up on before it was answered (EIDRM), or a host that
            // just went: the next events follow.
            if (errno == EINTR || errno == EAGAIN || errno == EIDRM || errno == ESHUTDOWN ||
                errno == EL2HLT) {
                continue;
            }
            if (announce_) announce_(std::string("ep0 failed: ") + std::strerror(errno));
            return;
        }
        const auto count = static_cast<std::size_t>(n) / sizeof(usb_functionfs_event);
        for (std::size_t i = 0; i < count; ++i) {
            switch (events[i].type) {
                case FUNCTIONFS_ENABLE:
                    setEnabled(true);
                    break;
                case FUNCTIONFS_DISABLE:
                case FUNCTIONFS_UNBIND:
                    setEnabled(false);
                    break;
                case FUNCTIONFS_SETUP:
                    handleSetup(events[i].u.setup);
                    break;
                default:
                    break;
            }
        }
    }
}

void FunctionFsKeyboard::setEnabled(bool enabled) {
    if (enabled_ == enabled) return;
    if (enabled) {
        keyboard_.plug();
        connection_ = keyboard_.connection();
    } else {
        // The host is gone: what the keyboard had queued for it is lost, as on a real unplug.
        enabled_ = false;
        keyboard_.unplug();
        for (InEndpoint& endpoint : ins_) {
            std::lock_guard lock(endpoint.mutex);
            endpoint.queue.clear();
        }
    }
    {
        std::lock_guard lock(stateMutex_);
        enabled_ = enabled;
        ++generation_;
        stateChanged_.notify_all();
    }
    if (announce_) announce_(enabled ? "enabled" : "disabled");
}

void FunctionFsKeyboard::handleSetup(const usb_ctrlrequest& request) {
    const bool in = (request.bRequestType & USB_DIR_IN) != 0;
    const std::uint16_t value = le16(request.wValue);
    const std::uint16_t length = le16(request.wLength);
    const std::size_t interface = le16(request.wIndex) & 0xFF;
    const auto type = static_cast<std::uint8_t>(request.bRequestType & ~USB_DIR_IN);
    const auto reportType = static_cast<std::uint8_t>(value >> 8);
    const bool command = interface == kCommandInterface;

    if (in && type == USB_RECIP_INTERFACE && request.bRequest == USB_REQ_GET_DESCRIPTOR &&
        reportType == kReportDescriptorType && interface < kKeyboardReportDescriptors.size()) {
        const auto descriptor = kKeyboardReportDescriptors[interface];
        reply(length, descriptor.data(), descriptor.size());
        return;
    }
    if (type != kClassToInterface || interface >= kKeyboardReportDescriptors.size()) {
        stall(in);
        return;
    }
    if (in) {
        if (request.bRequest == kGetReport && command && reportType == kFeatureReport) {
            // Unnumbered: the report id byte the core puts first does not cross the wire.
            std::array<std::uint8_t, kFeatureReportSize> report{};
            if (keyboard_.getFeature(connection_, report) < 0) {
                stall(in);
                return;
            }
            reply(length, report.data() + 1, report.size() - 1);
            return;
        }
        const std::uint8_t answer = request.bRequest == kGetProtocol ? 1 : 0;
        if (request.bRequest == kGetIdle || request.bRequest == kGetProtocol) {
            reply(length, &answer, 1);
            return;
        }
        stall(in);
        return;
    }
    std::vector<std::uint8_t> data;
    if (!receive(length, data)) return;
    if (request.bRequest == kSetReport && command &&
        (reportType == kFeatureReport || reportType == kOutputReport)) {
        data.insert(data.begin(), 0);
        if (reportType == kFeatureReport) {
            keyboard_.setFeature(connection_, data);
            forwardCommandReports();
        } else {
            keyboard_.writeReport(connection_, data);
        }
    }
    // SET_IDLE, SET_PROTOCOL and the boot keyboard's LEDs are taken and have no effect.
}

void FunctionFsKeyboard::reply(std::uint16_t length, const std::uint8_t* data, std::size_t size) {
    const std::size_t n = std::min<std::size_t>(length, size);
    [[maybe_unused]] const auto written = ::write(ep0_, data, n);
}

bool FunctionFsKeyboard::receive(std::uint16_t length, std::vector<std::uint8_t>& data) {
    data.resize(length);
    const ssize_t n = ::read(ep0_, data.data(), data.size());
    if (n < 0) return false;
    data.resize(static_cast<std::size_t>(n));
    return true;
}

// FunctionFS halts ep0 when it is asked to move data against the request's direction.
void FunctionFsKeyboard::stall(bool in) {
    std::uint8_t none = 0;
    if (in) {
        [[maybe_unused]] const auto n = ::read(ep0_, &none, 0);
    } else {
        [[maybe_unused]] const auto n = ::write(ep0_, &none, 0);
    }
}

void FunctionFsKeyboard::forwardCommandReports() {
    std::array<std::uint8_t, kBlockReportSize> report{};
    while (keyboard_.queuedCommandReports() > 0) {
        // A late keyboard's reports wait here as they would in its firmware.
        const int n = keyboard_.readReport(connection_, report, VirtualKeyboard::kReplyTimeoutMs);
        if (n <= 1) break;
        queueIn(KeyboardEndpoint::CommandIn,
                {report.begin() + 1, report.begin() + static_cast<std::ptrdiff_t>(n)});
    }
}

void FunctionFsKeyboard::forwardEvents() {
    std::array<std::uint8_t, 64> report{};
    int n = 0;
    while ((n = keyboard_.readEvent(connection_, report, 0)) > 0) {
        queueIn(KeyboardEndpoint::MediaAndEventsIn,
                {report.begin(), report.begin() + static_cast<std::ptrdiff_t>(n)});
    }
}

void FunctionFsKeyboard::typeKey(std::uint8_t usage) {
    queueIn(KeyboardEndpoint::BootKeyboardIn, {0, 0, usage, 0, 0, 0, 0, 0});
    queueIn(KeyboardEndpoint::BootKeyboardIn, std::vector<std::uint8_t>(8, 0));
}

void FunctionFsKeyboard::queueIn(KeyboardEndpoint endpoint, std::vector<std::uint8_t> report) {
    InEndpoint& target = in(endpoint);
    std::lock_guard lock(target.mutex);
    target.queue.push_back(std::move(report));
    target.wake.notify_all();
}

void FunctionFsKeyboard::serveIn(InEndpoint& endpoint) {
    while (true) {
        std::vector<std::uint8_t> report;
        {
            std::unique_lock lock(endpoint.mutex);
            endpoint.wake.wait(lock, [&] { return stopping_ || !endpoint.queue.empty(); });
            if (stopping_) return;
            report = std::move(endpoint.queue.front());
            endpoint.queue.pop_front();
        }
        // Waits for the host to poll; fails when the host goes away, and the report with it.
        if (::write(endpoint.fd, report.data(), report.size()) < 0 && errno == EAGAIN) {
            std::unique_lock lock(stateMutex_);
            stateChanged_.wait(lock, [&] { return stopping_ || enabled_; });
        }
    }
}

void FunctionFsKeyboard::serveCommandOut() {
    std::array<std::uint8_t, 1 + 64> report{};
    while (!stopping_) {
        const ssize_t n = ::read(commandOutFd_, report.data() + 1, report.size() - 1);
        if (n < 0) {
            // Not enabled yet, or the host just went: wait for the next enabling.
            const bool notEnabled = errno == EAGAIN;
            std::unique_lock lock(stateMutex_);
            const std::uint64_t seen = generation_;
            stateChanged_.wait(lock, [&] {
                return stopping_ || (enabled_ && (notEnabled || generation_ != seen));
            });
            continue;
        }
        report[0] = 0;
        keyboard_.writeReport(connection_,
                              std::span(report).first(static_cast<std::size_t>(n) + 1));
    }
}

}  // namespace tq260
