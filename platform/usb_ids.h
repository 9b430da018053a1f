#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace tq260 {

struct UsbIds {
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
};

// A USB id as the device manager writes it, in hex ("4d9", "a12f"); nothing for anything else.
std::optional<std::uint16_t> parseHex16(std::string_view text);

// The vendor and product ids of a USB device's PRODUCT property ("4d9/a12f/100"), which
// the kernel sends with both the add and the remove event.
std::optional<UsbIds> parseUsbProduct(std::string_view product);

// The vendor and product of a device from its Windows device path or instance id
// ("\\?\HID#VID_04D9&PID_A12F&MI_01#..."), in either case; nothing when either is missing.
std::optional<UsbIds> usbIdsOfDevicePath(std::string_view path);

}  // namespace tq260
