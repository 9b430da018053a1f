#include "device/block_codec.h"

#include <cstring>

#include "keys/factory_key_map.h"

namespace tq260 {

namespace {

std::uint8_t highNibble(std::uint8_t b) {
    return static_cast<std::uint8_t>(b >> 4);
}
std::uint8_t lowNibble(std::uint8_t b) {
    return static_cast<std::uint8_t>(b & 0x0F);
}

}  // namespace

std::array<std::uint8_t, 2> encodeKeyPair(const DeviceSettings& settings, std::size_t slot) {
    const KeyEntry& entry = settings.keyTable[slot];
    switch (entry.kind) {
        case key_kind::kKey:
            return {entry.code, 0x00};
        case key_kind::kCoded:
        case key_kind::kConsumer:
            // The parameter is masked to its nibble so that a stray value from a file can
            // never turn into another kind on the keyboard.
            return {entry.code,
                    static_cast<std::uint8_t>(entry.kind << 4 | lowNibble(entry.extra))};
        case key_kind::kMacro:
            return {entry.code, 0x41};
        case key_kind::kHostReference:
            // The key's effective code is the one the referenced host-side slot holds.
            if (entry.code < kHostKeySlotCount)
                return {settings.hostKeyData[entry.code].code, 0x00};
            break;
        default:
            break;
    }
    // Launch assignments, references out of range and kinds the keyboard does not know
    // travel as the slot's factory key: the key keeps working as printed, and a launch key
    // still sends the key press the launching side watches for.
    return {FactoryKeyMap[slot].code, 0x00};
}

Block encodeKeyBlock(const DeviceSettings& settings, std::size_t block) {
    Block wire{};
    for (std::size_t pair = 0; pair < kKeysPerBlock; ++pair) {
        const auto bytes = encodeKeyPair(settings, block * kKeysPerBlock + pair);
        wire[2 * pair] = bytes[0];
        wire[2 * pair + 1] = bytes[1];
    }
    return wire;
}

void decodeKeyBlock(const Block& wire, std::size_t block, DeviceSettings& settings) {
    for (std::size_t pair = 0; pair < kKeysPerBlock; ++pair) {
        const std::uint8_t code = wire[2 * pair];
        const std::uint8_t h = highNibble(wire[2 * pair + 1]);
        const std::uint8_t l = lowNibble(wire[2 * pair + 1]);
        KeyEntry& slot = settings.keyTable[block * kKeysPerBlock + pair];
        switch (h) {
            case key_kind::kKey:
                slot = {0, 0, code, 0};
                break;
            case key_kind::kMacro:
                slot = {key_kind::kMacro, l, code, 0};
                break;
            case key_kind::kCoded:
            case key_kind::kConsumer:
                slot = {h, 0, code, l};
                break;
            default:
                break;
        }
    }
    if (block == kKeyBlockCount - 1) {
        settings.keyTable[126] = {};
        settings.keyTable[127] = {};
    }
}

Block swapMacroBytes(const Block& block) {
    Block swapped{};
    for (std::size_t k = 0; k < kBlockSize; k += 2) {
        swapped[k] = block[k + 1];
        swapped[k + 1] = block[k];
    }
    return swapped;
}

Block encodeCustomLightMasks(const DeviceSettings& settings) {
    static_assert(sizeof(settings.customLightMasks) <= kBlockSize);
    Block wire{};
    std::memcpy(wire.data(), settings.customLightMasks.data(), sizeof(settings.customLightMasks));
    return wire;
}

void decodeCustomLightMasks(const Block& wire, DeviceSettings& settings) {
    std::memcpy(settings.customLightMasks.data(), wire.data(), sizeof(settings.customLightMasks));
}

void takeKeyboardSettings(const DeviceSettings& read, DeviceSettings& record) {
    std::array<bool, kKeySlotCount> asAssigned{};
    for (std::size_t slot = 0; slot < kKeySlotCount; ++slot) {
        asAssigned[slot] = encodeKeyPair(record, slot) == encodeKeyPair(read, slot);
    }
    const auto assigned = record.keyTable;
    copyDeviceFields(read, record);
    for (std::size_t slot = 0; slot < kKeySlotCount; ++slot) {
        if (asAssigned[slot]) record.keyTable[slot] = assigned[slot];
    }
}

}  // namespace tq260
