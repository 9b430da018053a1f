#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace tq260 {

struct UsbIds {
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
};

// The vendor and product of a device from its Windows device path or instance id
// ("\\?\HID#VID_04D9&PID_A12F&MI_01#..."), in either case; nothing when either is missing.
std::optional<UsbIds> usbIdsOfDevicePath(std::string_view path);

}  // namespace tq260
