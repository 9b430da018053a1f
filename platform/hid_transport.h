#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace tq260 {

// One openable HID path as the platform lists it.
struct HidInterfaceInfo {
    std::string path;
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
    // USB interface number, -1 where the platform does not know it.
    int interfaceNumber = -1;
    // Platforms that open each top-level collection on its own path (Windows) give the
    // collection's 1-based number here. Platforms that open a whole interface on one path
    // (Linux hidraw) give 0 and say in collectionCount how many top-level collections the
    // path delivers.
    int collection = 0;
    int collectionCount = 0;
};

// Whether the reports of a path carry a report id byte on the wire. Reads always hand the
// caller a buffer whose byte 0 is the report id, as the Windows HID driver does.
enum class ReportIds { Unnumbered, Numbered };

// An open HID path. Every call returns the number of bytes moved, 0 for a read that timed
// out, and -1 for a failure. Buffers start with the report id byte.
class HidDevice {
  public:
    virtual ~HidDevice() = default;
    virtual int sendFeatureReport(std::span<const std::uint8_t> report) = 0;
    virtual int getFeatureReport(std::span<std::uint8_t> report) = 0;
    virtual int write(std::span<const std::uint8_t> report) = 0;
    virtual int read(std::span<std::uint8_t> report, int timeoutMs) = 0;
};

class HidTransport {
  public:
    virtual ~HidTransport() = default;
    // Every HID path present, in the platform's enumeration order.
    virtual std::vector<HidInterfaceInfo> enumerate() = 0;
    // Null when the path cannot be opened.
    virtual std::unique_ptr<HidDevice> open(const std::string& path, ReportIds ids) = 0;
};

}  // namespace tq260
