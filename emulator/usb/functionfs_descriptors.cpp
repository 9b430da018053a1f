#include "emulator/usb/functionfs_descriptors.h"

#include <linux/usb/functionfs.h>

#include <algorithm>

#include "emulator/usb/keyboard_report_descriptors.h"

namespace tq260 {

namespace {

constexpr std::uint8_t kInterfaceDescriptor = 0x04;
constexpr std::uint8_t kEndpointDescriptor = 0x05;
constexpr std::uint8_t kHidDescriptor = 0x21;
constexpr std::uint8_t kReportDescriptor = 0x22;
constexpr std::uint8_t kHidClass = 0x03;
constexpr std::uint8_t kInterruptTransfer = 0x03;
constexpr std::uint8_t kIn = 0x80;

void put16(std::vector<std::uint8_t>& out, std::uint16_t value) {
    out.push_back(static_cast<std::uint8_t>(value & 0xFF));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}

void put32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) {
        out.push_back(static_cast<std::uint8_t>((value >> shift) & 0xFF));
    }
}

struct Endpoint {
    KeyboardEndpoint file;
    bool in;
    std::uint16_t maxPacket;
};

struct Interface {
    std::uint8_t subclass;  // 1: boot interface
    std::uint8_t protocol;  // 1: keyboard, 2: mouse
    std::vector<Endpoint> endpoints;
};

std::vector<Interface> interfaces() {
    return {
        {1, 1, {{KeyboardEndpoint::BootKeyboardIn, true, 8}}},
        {0, 0, {{KeyboardEndpoint::MediaAndEventsIn, true, 32}}},
        {0, 0, {{KeyboardEndpoint::MouseIn, true, 8}}},
        {0,
         0,
         {{KeyboardEndpoint::CommandIn, true, 64}, {KeyboardEndpoint::CommandOut, false, 64}}},
    };
}

// One speed's set; returns how many descriptors it holds. Every endpoint is polled each
// millisecond: bInterval 1 frame at full speed, 2^(4-1) microframes at high speed.
std::uint32_t appendSpeed(std::vector<std::uint8_t>& out, bool highSpeed) {
    std::uint32_t count = 0;
    const auto list = interfaces();
    for (std::size_t number = 0; number < list.size(); ++number) {
        const Interface& interface = list[number];
        out.insert(out.end(), {9, kInterfaceDescriptor, static_cast<std::uint8_t>(number), 0,
                               static_cast<std::uint8_t>(interface.endpoints.size()), kHidClass,
                               interface.subclass, interface.protocol, 0});
        out.insert(out.end(), {9, kHidDescriptor, 0x11, 0x01, 0, 1, kReportDescriptor});
        put16(out, static_cast<std::uint16_t>(kKeyboardReportDescriptors[number].size()));
        count += 2;
        for (const Endpoint& endpoint : interface.endpoints) {
            const auto address = static_cast<std::uint8_t>(static_cast<int>(endpoint.file) |
                                                           (endpoint.in ? kIn : 0));
            out.insert(out.end(), {7, kEndpointDescriptor, address, kInterruptTransfer});
            put16(out, endpoint.maxPacket);
            out.push_back(highSpeed ? 4 : 1);
            ++count;
        }
    }
    return count;
}

}  // namespace

std::vector<std::uint8_t> keyboardFunctionDescriptors() {
    std::vector<std::uint8_t> fullSpeed;
    std::vector<std::uint8_t> highSpeed;
    const std::uint32_t fullCount = appendSpeed(fullSpeed, false);
    const std::uint32_t highCount = appendSpeed(highSpeed, true);

    std::vector<std::uint8_t> out;
    put32(out, FUNCTIONFS_DESCRIPTORS_MAGIC_V2);
    put32(out, 0);  // the length, filled in below
    put32(out, FUNCTIONFS_HAS_FS_DESC | FUNCTIONFS_HAS_HS_DESC);
    put32(out, fullCount);
    put32(out, highCount);
    out.insert(out.end(), fullSpeed.begin(), fullSpeed.end());
    out.insert(out.end(), highSpeed.begin(), highSpeed.end());
    std::vector<std::uint8_t> length;
    put32(length, static_cast<std::uint32_t>(out.size()));
    std::copy(length.begin(), length.end(), out.begin() + 4);
    return out;
}

std::vector<std::uint8_t> keyboardFunctionStrings() {
    std::vector<std::uint8_t> out;
    put32(out, FUNCTIONFS_STRINGS_MAGIC);
    put32(out, 16);
    put32(out, 0);  // strings
    put32(out, 0);  // languages
    return out;
}

}  // namespace tq260
