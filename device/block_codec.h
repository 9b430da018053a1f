#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "device/device_settings.h"

namespace tq260 {

// Each key block carries 63 key slots as 2-byte pairs: block 0 the slots 0..62, block 1
// the slots 63..125. Slots 126 and 127 never travel.
inline constexpr std::size_t kKeyBlockCount = 2;
inline constexpr std::size_t kKeysPerBlock = 63;

// The pair a slot travels as: (code, kind << 4 | parameter).
std::array<std::uint8_t, 2> encodeKeyPair(const DeviceSettings& settings, std::size_t slot);

// Takes what a full read brought into the record. The keyboard holds each key only in its
// wire form (a combination as its one code, a launch key as its printed key); where that is
// the wire form of what the record says was assigned, the key keeps its entry as assigned,
// so a read never turns "LCtrl + C" into "C" in what the host keeps.
void takeKeyboardSettings(const DeviceSettings& read, DeviceSettings& record);

// The wire form of key block 0 or 1; bytes 126 and 127 are 0.
Block encodeKeyBlock(const DeviceSettings& settings, std::size_t block);

// Stores a received key block into its 63 slots. A pair of an unknown kind leaves its slot
// as it was. After block 1, slots 126 and 127 are cleared.
void decodeKeyBlock(const Block& wire, std::size_t block, DeviceSettings& settings);

// Macro blocks travel with the two bytes of every 16-bit word swapped; the same swap
// turns a received block back into memory order.
Block swapMacroBytes(const Block& block);

// The three masks fill bytes 0..53 of their block; the rest is 0 on the way out and
// dropped on the way in.
Block encodeCustomLightMasks(const DeviceSettings& settings);
void decodeCustomLightMasks(const Block& wire, DeviceSettings& settings);

}  // namespace tq260
