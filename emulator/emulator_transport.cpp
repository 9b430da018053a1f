#include "emulator/emulator_transport.h"

#include <algorithm>
#include <optional>

#include "device/device_link.h"

namespace tq260 {

namespace {

constexpr int kEventInterface = 1;
constexpr int kCommandInterface = 3;
constexpr int kEventInterfaceCollections = 3;

enum class Role { Command, Event, Other };

// An opened path of a virtual keyboard.
class EmulatedDevice final : public HidDevice {
  public:
    EmulatedDevice(VirtualKeyboard& keyboard, Role role)
        : keyboard_(keyboard), role_(role), connection_(keyboard.connection()) {}

    int sendFeatureReport(std::span<const std::uint8_t> report) override {
        return role_ == Role::Command ? keyboard_.setFeature(connection_, report) : -1;
    }
    int getFeatureReport(std::span<std::uint8_t> report) override {
        return role_ == Role::Command ? keyboard_.getFeature(connection_, report) : -1;
    }
    int write(std::span<const std::uint8_t> report) override {
        return role_ == Role::Command ? keyboard_.writeReport(connection_, report) : -1;
    }
    int read(std::span<std::uint8_t> report, int timeoutMs) override {
        switch (role_) {
            case Role::Command:
                return keyboard_.readReport(connection_, report, timeoutMs);
            case Role::Event:
                return keyboard_.readEvent(connection_, report, timeoutMs);
            case Role::Other:
                break;
        }
        return -1;
    }

  private:
    VirtualKeyboard& keyboard_;
    Role role_;
    std::uint64_t connection_;
};

}  // namespace

struct EmulatorTransport::Entry {
    std::unique_ptr<VirtualKeyboard> keyboard;  // null for another device
    VirtualKeyboardPresence presence;
    HidInterfaceInfo other;
    int number = 0;  // the keyboard's number, for its paths
};

struct EmulatorTransport::Listing {
    HidInterfaceInfo info;
    VirtualKeyboard* keyboard = nullptr;
    Role role = Role::Other;
    bool openFails = false;
};

EmulatorTransport::EmulatorTransport(Clock& clock) : clock_(clock) {}

EmulatorTransport::~EmulatorTransport() = default;

VirtualKeyboard& EmulatorTransport::addKeyboard(VirtualKeyboardPresence presence) {
    std::lock_guard lock(mutex_);
    auto entry = std::make_unique<Entry>();
    entry->keyboard = std::make_unique<VirtualKeyboard>(clock_);
    entry->presence = presence;
    entry->number = static_cast<int>(std::count_if(
        entries_.begin(), entries_.end(), [](const auto& e) { return e->keyboard != nullptr; }));
    entry->keyboard->setPlugListener([this](bool plugged) {
        reportChange({plugged ? DeviceChange::Kind::Arrival : DeviceChange::Kind::Removal,
                      kKeyboardVendorId, kKeyboardProductId});
    });
    entries_.push_back(std::move(entry));
    return *entries_.back()->keyboard;
}

void EmulatorTransport::addOtherDevice(HidInterfaceInfo info) {
    const DeviceChange change{DeviceChange::Kind::Arrival, info.vendorId, info.productId};
    {
        std::lock_guard lock(mutex_);
        auto entry = std::make_unique<Entry>();
        entry->other = std::move(info);
        entries_.push_back(std::move(entry));
    }
    reportChange(change);
}

void EmulatorTransport::removeOtherDevice(const std::string& path) {
    std::optional<DeviceChange> change;
    {
        std::lock_guard lock(mutex_);
        const auto found = std::find_if(entries_.begin(), entries_.end(), [&](const auto& e) {
            return !e->keyboard && e->other.path == path;
        });
        if (found == entries_.end()) return;
        change = DeviceChange{DeviceChange::Kind::Removal, (*found)->other.vendorId,
                              (*found)->other.productId};
        entries_.erase(found);
    }
    reportChange(*change);
}

void EmulatorTransport::setHotPlugListener(HotPlugWatcher::Listener listener) {
    std::lock_guard lock(listenerMutex_);
    hotPlugListener_ = std::move(listener);
}

void EmulatorTransport::reportChange(const DeviceChange& change) {
    std::lock_guard lock(listenerMutex_);
    if (hotPlugListener_) hotPlugListener_(change);
}

std::vector<EmulatorTransport::Listing> EmulatorTransport::listLocked() const {
    std::vector<Listing> list;
    for (const auto& entry : entries_) {
        if (!entry->keyboard) {
            list.push_back({entry->other, nullptr, Role::Other, false});
            continue;
        }
        if (!entry->keyboard->isPlugged()) continue;
        const int n = entry->number;
        for (int interface = 0; interface <= kCommandInterface; ++interface) {
            if (interface == kCommandInterface && entry->presence.withoutCommandInterface) continue;
            const bool events = interface == kEventInterface;
            const Role role = interface == kCommandInterface ? Role::Command
                              : events                       ? Role::Event
                                                             : Role::Other;
            const int collections = events ? kEventInterfaceCollections : 1;
            HidInterfaceInfo info;
            info.vendorId = kKeyboardVendorId;
            info.productId = kKeyboardProductId;
            info.interfaceNumber = interface;
            if (entry->presence.perCollectionPaths) {
                for (int c = 1; c <= collections; ++c) {
                    info.path = "\\\\?\\hid#vid_04d9&pid_a12f&mi_0" + std::to_string(interface);
                    if (collections > 1) info.path += "&col0" + std::to_string(c);
                    info.path +=
                        "#virtual" + std::to_string(n) + "#{4d1e55b2-f16f-11cf-88cb-001111000030}";
                    info.collection = collections > 1 ? c : 0;
                    info.collectionCount = 1;
                    // Only the third collection carries the keyboard's event reports.
                    const Role collectionRole = events && c != 3 ? Role::Other : role;
                    list.push_back(
                        {info, entry->keyboard.get(), collectionRole,
                         collectionRole == Role::Event && entry->presence.eventChannelOpenFails});
                }
            } else {
                info.path = "/dev/virtual-hidraw" + std::to_string(n * 4 + interface);
                info.collectionCount = collections;
                list.push_back({info, entry->keyboard.get(), role,
                                events && entry->presence.eventChannelOpenFails});
            }
        }
    }
    return list;
}

std::vector<std::int64_t> EmulatorTransport::enumerationTimesUs() const {
    std::lock_guard lock(mutex_);
    return enumerationTimesUs_;
}

std::vector<HidInterfaceInfo> EmulatorTransport::enumerate() {
    std::lock_guard lock(mutex_);
    enumerationTimesUs_.push_back(clock_.nowUs());
    std::vector<HidInterfaceInfo> infos;
    for (Listing& listing : listLocked()) infos.push_back(std::move(listing.info));
    return infos;
}

std::unique_ptr<HidDevice> EmulatorTransport::open(const std::string& path, ReportIds) {
    std::lock_guard lock(mutex_);
    for (const Listing& listing : listLocked()) {
        if (listing.info.path != path) continue;
        if (listing.keyboard == nullptr || listing.openFails) return nullptr;
        return std::make_unique<EmulatedDevice>(*listing.keyboard, listing.role);
    }
    return nullptr;
}

}  // namespace tq260
