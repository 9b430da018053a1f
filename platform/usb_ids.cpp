#include "platform/usb_ids.h"

#include <cctype>

namespace tq260 {

namespace {

// Four hexadecimal digits after the first "<tag>" (case-insensitive).
std::optional<std::uint16_t> idAfter(std::string_view path, std::string_view tag) {
    for (std::size_t at = 0; at + tag.size() + 4 <= path.size(); ++at) {
        bool match = true;
        for (std::size_t i = 0; i < tag.size() && match; ++i) {
            match = std::toupper(static_cast<unsigned char>(path[at + i])) == tag[i];
        }
        if (!match) continue;
        std::uint16_t value = 0;
        for (std::size_t i = 0; i < 4; ++i) {
            const int c = std::tolower(static_cast<unsigned char>(path[at + tag.size() + i]));
            if (!std::isxdigit(c)) return std::nullopt;
            value =
                static_cast<std::uint16_t>(value * 16 + (std::isdigit(c) ? c - '0' : c - 'a' + 10));
        }
        return value;
    }
    return std::nullopt;
}

}  // namespace

std::optional<UsbIds> usbIdsOfDevicePath(std::string_view path) {
    const auto vendor = idAfter(path, "VID_");
    const auto product = idAfter(path, "PID_");
    if (!vendor || !product) return std::nullopt;
    return UsbIds{*vendor, *product};
}

}  // namespace tq260
