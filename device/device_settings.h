#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "device/key_entry.h"

namespace tq260 {

inline constexpr std::size_t kBlockSize = 128;
inline constexpr std::size_t kMacroBlockCount = 6;
inline constexpr std::size_t kCustomLightMaskCount = 3;
inline constexpr std::size_t kCustomLightMaskSize = 18;

using Block = std::array<std::uint8_t, kBlockSize>;
// A macro as the keyboard holds it: loop count (high byte first), then 126 event bytes.
using MacroBlock = Block;

struct LightingSettings {
    std::uint8_t effect = 0;
    std::uint8_t brightness = 0;  // 0..50
    std::uint8_t speed = 0;       // 0..9; one more on the wire
    std::uint8_t direction = 0;   // 1..4
    std::uint8_t option = 0;      // carried unchanged

    friend bool operator==(const LightingSettings&, const LightingSettings&) = default;
};
static_assert(sizeof(LightingSettings) == 5);

// One user-defined light pattern: bit b lights the key whose light bit is b.
struct CustomLightMask {
    std::array<std::uint8_t, kCustomLightMaskSize> bits{};

    bool bit(int b) const { return (bits[static_cast<std::size_t>(b / 8)] >> (b % 8)) & 1U; }
    void setBit(int b, bool on);

    friend bool operator==(const CustomLightMask&, const CustomLightMask&) = default;
};
static_assert(sizeof(CustomLightMask) == kCustomLightMaskSize);

// The in-memory image of the keyboard's configuration, byte for byte as keymap.bin and the
// profile files store it.
struct DeviceSettings {
    std::array<std::uint8_t, 11> reserved0{};
    std::uint8_t reportRate = 0;  // 0..3
    std::array<std::uint8_t, 780> reserved1{};
    std::array<KeyEntry, kKeySlotCount> keyTable{};
    std::array<KeyEntry, kHostKeySlotCount> hostKeyData{};  // never sent
    std::array<MacroBlock, kMacroBlockCount> macroBlocks{};
    std::uint8_t reserved2 = 0;
    std::uint8_t responseTime = 0;  // 1..10, shown as twice the value in ms
    LightingSettings lighting{};
    std::array<std::uint8_t, 21> reserved3{};
    std::uint8_t gameMode = 0;  // 0 off, 1 on
    std::uint8_t reserved4 = 0;
    std::array<CustomLightMask, kCustomLightMaskCount> customLightMasks{};

    friend bool operator==(const DeviceSettings&, const DeviceSettings&) = default;
};

static_assert(std::is_standard_layout_v<DeviceSettings>);
static_assert(std::is_trivially_copyable_v<DeviceSettings>);
static_assert(sizeof(DeviceSettings) == 2412);
static_assert(offsetof(DeviceSettings, reportRate) == 0x00B);
static_assert(offsetof(DeviceSettings, reserved1) == 0x00C);
static_assert(offsetof(DeviceSettings, keyTable) == 0x318);
static_assert(offsetof(DeviceSettings, hostKeyData) == 0x518);
static_assert(offsetof(DeviceSettings, macroBlocks) == 0x618);
static_assert(offsetof(DeviceSettings, reserved2) == 0x918);
static_assert(offsetof(DeviceSettings, responseTime) == 0x919);
static_assert(offsetof(DeviceSettings, lighting) == 0x91A);
static_assert(offsetof(DeviceSettings, lighting) + offsetof(LightingSettings, option) == 0x91E);
static_assert(offsetof(DeviceSettings, reserved3) == 0x91F);
static_assert(offsetof(DeviceSettings, gameMode) == 0x934);
static_assert(offsetof(DeviceSettings, reserved4) == 0x935);
static_assert(offsetof(DeviceSettings, customLightMasks) == 0x936);

// Lighting effects whose pattern is a custom light mask.
inline constexpr std::uint8_t kFirstCustomEffect = 51;

// The mask of a user-defined effect (51..53), or null for any other effect.
const CustomLightMask* customLightMaskFor(const DeviceSettings& settings, std::uint8_t effect);

// Copies what a full read fills (report rate, response time, key table, macro blocks,
// lighting, game mode, masks); the host-only parts of the destination stay.
void copyDeviceFields(const DeviceSettings& from, DeviceSettings& to);

// The parts of the record that the write back compares one by one.
enum class Region { KeyTable, MacroBlock, CustomLightMask };

// The state last exchanged with the keyboard.
class SettingsShadow {
  public:
    void synchronise(const DeviceSettings& settings) { record_ = settings; }
    void restore(DeviceSettings& settings) const { settings = record_; }
    // Byte comparison of one region; index picks the macro block (0..5) or mask (0..2).
    bool changed(const DeviceSettings& settings, Region region, std::size_t index = 0) const;
    const DeviceSettings& record() const { return record_; }

  private:
    DeviceSettings record_{};
};

// Identity reply of the keyboard; kept beside the record, never saved.
struct FirmwareVersion {
    std::uint8_t major = 0;
    std::uint8_t minor = 0;
    friend bool operator==(const FirmwareVersion&, const FirmwareVersion&) = default;
};

struct DeviceIdentity {
    std::array<std::uint8_t, 8> block{};  // reply bytes 1..8
    FirmwareVersion firmware{};
};

}  // namespace tq260
