#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace tq260 {

inline constexpr std::size_t kFeatureReportSize = 9;
inline constexpr std::uint8_t kReadBit = 0x80;

// The 9-byte feature report that carries every command: report id 0, command, six
// parameters, checksum.
struct FeatureReport {
    std::array<std::uint8_t, kFeatureReportSize> bytes{};

    // A request for command with the given parameters (bytes 2..7), checksum filled in.
    static FeatureReport request(std::uint8_t command, std::array<std::uint8_t, 6> params = {});

    std::uint8_t command() const { return bytes[1]; }
    // Byte i of the report (2..7 are the parameters or reply values).
    std::uint8_t operator[](std::size_t i) const { return bytes[i]; }

    friend bool operator==(const FeatureReport&, const FeatureReport&) = default;
};
static_assert(sizeof(FeatureReport) == kFeatureReportSize);

// (bytes 1..7 summed modulo 256) XOR 0x8B.
std::uint8_t featureChecksum(const std::array<std::uint8_t, kFeatureReportSize>& bytes);

}  // namespace tq260
