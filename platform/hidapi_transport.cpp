#include "platform/hidapi_transport.h"

#include <hidapi.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <iterator>

#include "platform/hid_report_descriptor.h"
#include "platform/system_file.h"

namespace tq260 {

namespace {

class HidapiDevice final : public HidDevice {
  public:
    HidapiDevice(hid_device* device, ReportIds ids,
                 std::unique_ptr<SharedDeviceClaims::Share> claim)
        : device_(device), ids_(ids), claim_(std::move(claim)) {}
    ~HidapiDevice() override { hid_close(device_); }
    HidapiDevice(const HidapiDevice&) = delete;
    HidapiDevice& operator=(const HidapiDevice&) = delete;

    int sendFeatureReport(std::span<const std::uint8_t> report) override {
        return hid_send_feature_report(device_, report.data(), report.size());
    }
    int getFeatureReport(std::span<std::uint8_t> report) override {
        // The kernel bounds this call with the USB control-transfer timeout.
        return hid_get_feature_report(device_, report.data(), report.size());
    }
    int write(std::span<const std::uint8_t> report) override {
        return hid_write(device_, report.data(), report.size());
    }
    int read(std::span<std::uint8_t> report, int timeoutMs) override {
        if (report.empty()) return -1;
        if (ids_ == ReportIds::Numbered) {
            return hid_read_timeout(device_, report.data(), report.size(), timeoutMs);
        }
        // Unnumbered reports arrive without the id byte; put the id 0 in front so every
        // caller sees the same layout.
        report[0] = 0;
        const int n = hid_read_timeout(device_, report.data() + 1, report.size() - 1, timeoutMs);
        return n > 0 ? n + 1 : n;
    }

  private:
    hid_device* device_;
    ReportIds ids_;
    // Held as long as the path is open; let go of after it is closed.
    std::unique_ptr<SharedDeviceClaims::Share> claim_;
};

#ifdef _WIN32
// Windows lists each top-level collection as a path of its own, tagged "&col0N".
int collectionOfPath(const std::string& path) {
    std::string lower;
    std::transform(path.begin(), path.end(), std::back_inserter(lower),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    const auto at = lower.find("&col");
    if (at == std::string::npos || at + 6 > lower.size()) return 0;
    const std::string digits = lower.substr(at + 4, 2);
    if (!std::isdigit(static_cast<unsigned char>(digits[0])) ||
        !std::isdigit(static_cast<unsigned char>(digits[1]))) {
        return 0;
    }
    return std::stoi(digits);
}
#else
// A hidraw node delivers a whole USB interface; its report descriptor in sysfs says how
// many top-level collections that is.
int collectionCountOfHidraw(const std::string& path) {
    const std::filesystem::path node(path);
    const std::filesystem::path descriptor =
        std::filesystem::path("/sys/class/hidraw") / node.filename() / "device/report_descriptor";
    const auto text = readSystemFile(descriptor);
    if (!text) return 0;
    return countTopLevelCollections(
        std::span(reinterpret_cast<const std::uint8_t*>(text->data()), text->size()));
}
#endif

}  // namespace

// hid_init is process-wide and may be called again; hid_exit is left to process exit so that
// two transports never pull the library out from under each other.
HidapiTransport::HidapiTransport() {
    hid_init();
}

HidapiTransport::~HidapiTransport() = default;

std::vector<HidInterfaceInfo> HidapiTransport::enumerate() {
    std::vector<HidInterfaceInfo> infos;
    hid_device_info* list = hid_enumerate(0, 0);
    for (hid_device_info* d = list; d != nullptr; d = d->next) {
        if (d->path == nullptr) continue;
        const std::string path = d->path;
        // hidapi lists a path once per usage it finds; keep the first.
        if (std::any_of(infos.begin(), infos.end(),
                        [&](const HidInterfaceInfo& i) { return i.path == path; })) {
            continue;
        }
        HidInterfaceInfo info;
        info.path = path;
        info.vendorId = d->vendor_id;
        info.productId = d->product_id;
        info.interfaceNumber = d->interface_number;
#ifdef _WIN32
        info.collection = collectionOfPath(path);
        info.collectionCount = 1;
#else
        info.collectionCount = collectionCountOfHidraw(path);
#endif
        infos.push_back(std::move(info));
    }
    hid_free_enumeration(list);
    return infos;
}

std::unique_ptr<HidDevice> HidapiTransport::open(const std::string& path, ReportIds ids) {
    // Another program on the keyboard (the tool during a dump, or the program while the tool
    // runs) would interleave its transactions with ours: the path is refused meanwhile. Our
    // own channels on the path share its claim.
    std::unique_ptr<SharedDeviceClaims::Share> claim;
    if (claims_.take(path, claim) == DeviceClaim::Outcome::HeldElsewhere) return nullptr;
    hid_device* device = hid_open_path(path.c_str());
    if (device == nullptr) return nullptr;
    return std::make_unique<HidapiDevice>(device, ids, std::move(claim));
}

}  // namespace tq260
