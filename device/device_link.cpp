#include "device/device_link.h"

namespace tq260 {

bool matchesFilter(const HidInterfaceInfo& info, InterfaceFilter filter) {
    switch (filter) {
        case InterfaceFilter::CommandChannel:
            // hidapi reports the USB interface number on every platform (on Windows it is
            // the "mi_03" of the path, on Linux the interface the hidraw node belongs to).
            return info.interfaceNumber == 3;
        case InterfaceFilter::EventChannel:
            // Windows opens each top-level collection on its own path ("...&col03#"). Linux
            // hidraw opens a whole interface on one path: there the path that carries a
            // third top-level collection is the one, and the event reader keeps only the
            // reports with the event report id.
            return info.collection == 3 || (info.collection == 0 && info.collectionCount >= 3);
    }
    return false;
}

bool isKeyboardChannel(const HidInterfaceInfo& info, InterfaceFilter channel) {
    return info.vendorId == kKeyboardVendorId && info.productId == kKeyboardProductId &&
           matchesFilter(info, channel);
}

DeviceLink::DeviceLink(HidTransport& transport, Clock& clock)
    : DeviceLink(transport, clock, HidTrace::fromEnvironment(clock)) {}

DeviceLink::DeviceLink(HidTransport& transport, Clock& clock, std::shared_ptr<HidTrace> trace)
    : transport_(transport), clock_(clock), trace_(std::move(trace)) {}

bool DeviceLink::findInterface(InterfaceFilter filter) {
    devicePath_.clear();
    searchCount_ = 0;
    for (const HidInterfaceInfo& info : transport_.enumerate()) {
        if (isKeyboardChannel(info, filter)) {
            devicePath_ = info.path;
            searchCount_ = 1;
            return true;
        }
    }
    return false;
}

std::unique_ptr<HidDevice> DeviceLink::traced(std::unique_ptr<HidDevice> device,
                                              TraceChannel channel) {
    if (device == nullptr || trace_ == nullptr) return device;
    trace_->markLinkOpened();
    return std::make_unique<TracingHidDevice>(std::move(device), trace_, channel);
}

bool DeviceLink::openCommandChannel() {
    std::unique_ptr<HidDevice> device;
    if (!devicePath_.empty()) {
        device = traced(transport_.open(devicePath_, ReportIds::Unnumbered), TraceChannel::Command);
    }
    std::lock_guard lock(commandMutex_);
    command_ = std::move(device);
    {
        std::lock_guard pathLock(commandPathMutex_);
        commandPath_ = command_ != nullptr ? devicePath_ : std::string();
    }
    connected_ = command_ != nullptr;
    answering_ = true;  // a new connection starts with the benefit of the doubt
    return connected_;
}

bool DeviceLink::openEventChannel() {
    std::shared_ptr<HidDevice> device;
    if (!devicePath_.empty()) {
        device = traced(transport_.open(devicePath_, ReportIds::Numbered), TraceChannel::Event);
    }
    std::lock_guard lock(eventMutex_);
    event_ = std::move(device);
    return event_ != nullptr;
}

bool DeviceLink::connect() {
    findInterface(InterfaceFilter::CommandChannel);
    openCommandChannel();
    findInterface(InterfaceFilter::EventChannel);
    openEventChannel();
    return isConnected();
}

void DeviceLink::close() {
    {
        // Waits for a transaction in flight to end, so its data phase is never cut.
        std::lock_guard lock(commandMutex_);
        command_.reset();
        std::lock_guard pathLock(commandPathMutex_);
        commandPath_.clear();
        connected_ = false;
    }
    std::lock_guard lock(eventMutex_);
    event_.reset();
}

std::string DeviceLink::commandPath() const {
    std::lock_guard lock(commandPathMutex_);
    return commandPath_;
}

bool DeviceLink::hasEventChannel() const {
    std::lock_guard lock(eventMutex_);
    return event_ != nullptr;
}

std::shared_ptr<HidDevice> DeviceLink::eventChannel() const {
    std::lock_guard lock(eventMutex_);
    return event_;
}

}  // namespace tq260
