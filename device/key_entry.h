#pragma once

#include <cstddef>
#include <cstdint>

namespace tq260 {

// One slot of the keyboard's key table: kind, then three bytes whose meaning the kind decides.
struct KeyEntry {
    std::uint8_t kind = 0;
    std::uint8_t param = 0;  // kind 4: the macro flag; kind 0: first key of a combination
    std::uint8_t code = 0;   // the key's code
    std::uint8_t extra = 0;  // kinds 2 and 3: parameter / high byte; kind 0: third key

    friend bool operator==(const KeyEntry&, const KeyEntry&) = default;
};

static_assert(sizeof(KeyEntry) == 4);
static_assert(offsetof(KeyEntry, kind) == 0 && offsetof(KeyEntry, param) == 1 &&
              offsetof(KeyEntry, code) == 2 && offsetof(KeyEntry, extra) == 3);

namespace key_kind {
inline constexpr std::uint8_t kKey = 0x00;
inline constexpr std::uint8_t kCoded = 0x02;
inline constexpr std::uint8_t kConsumer = 0x03;
inline constexpr std::uint8_t kMacro = 0x04;
inline constexpr std::uint8_t kHostReference = 0x10;
inline constexpr std::uint8_t kLaunch = 0x14;
}  // namespace key_kind

inline constexpr std::size_t kKeySlotCount = 128;
inline constexpr std::size_t kHostKeySlotCount = 64;

}  // namespace tq260
