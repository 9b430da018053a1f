#include "platform/usb_ids.h"

#include <cctype>
#include <charconv>

namespace tq260 {

namespace {

// Four hexadecimal digits after the first "<tag>" (case-insensitive).
std::optional<std::uint16_t> idAfter(std::string_view path, std::string_view tag) {
    for (std::size_t at = 0; at + tag.size() + 4 <= path.size(); ++at) {
        bool match = true;
        for (std::size_t i = 0; i < tag.size() && match; ++i) {
            match = std::toupper(static_cast<unsigned char>(path[at + i])) == tag[i];
        }
        if (match) return parseHex16(path.substr(at + tag.size(), 4));
    }
    return std::nullopt;
}

}  // namespace

std::optional<std::uint16_t> parseHex16(std::string_view text) {
    unsigned value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
    if (error != std::errc() || end != text.data() + text.size() || text.empty() ||
        value > 0xFFFF) {
        return std::nullopt;
    }
    return static_cast<std::uint16_t>(value);
}

std::optional<UsbIds> parseUsbProduct(std::string_view product) {
    const auto first = product.find('/');
    if (first == std::string_view::npos) return std::nullopt;
    const auto second = product.find('/', first + 1);
    if (second == std::string_view::npos) return std::nullopt;
    const auto vendor = parseHex16(product.substr(0, first));
    const auto model = parseHex16(product.substr(first + 1, second - first - 1));
    if (!vendor || !model) return std::nullopt;
    return UsbIds{*vendor, *model};
}

std::optional<UsbIds> usbIdsOfDevicePath(std::string_view path) {
    const auto vendor = idAfter(path, "VID_");
    const auto product = idAfter(path, "PID_");
    if (!vendor || !product) return std::nullopt;
    return UsbIds{*vendor, *product};
}

}  // namespace tq260
