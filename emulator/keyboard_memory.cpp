#include "emulator/keyboard_memory.h"

#include <algorithm>
#include <cstring>

#include "device/block_codec.h"
#include "keys/factory_key_map.h"

namespace tq260 {

namespace {

constexpr std::array<std::uint8_t, 8> kMagic = {'T', 'Q', '2', '6', '0', 'V', 'K', 1};

// Walks the fields in file order, for writing and for reading alike.
template <typename Memory, typename Visit>
void visitFields(Memory& memory, Visit&& visit) {
    visit(std::span(&memory.reportRate, 1));
    visit(std::span(&memory.responseTime, 1));
    visit(std::span(memory.lighting));
    visit(std::span(&memory.gameMode, 1));
    for (auto& block : memory.keyBlocks) visit(std::span(block));
    for (auto& block : memory.macroBlocks) visit(std::span(block));
    visit(std::span(memory.customLightMasks));
    visit(std::span(&memory.firmware.major, 1));
    visit(std::span(&memory.firmware.minor, 1));
}

std::size_t serialisedSize() {
    KeyboardMemory memory;
    std::size_t size = kMagic.size();
    visitFields(memory, [&](auto field) { size += field.size(); });
    return size;
}

}  // namespace

KeyboardMemory KeyboardMemory::factoryDefaults(FirmwareVersion firmware) {
    KeyboardMemory memory;
    DeviceSettings factory{};
    factory.keyTable = FactoryKeyMap;
    for (std::size_t block = 0; block < memory.keyBlocks.size(); ++block) {
        memory.keyBlocks[block] = encodeKeyBlock(factory, block);
    }
    memory.firmware = firmware;
    return memory;
}

std::vector<std::uint8_t> KeyboardMemory::serialise() const {
    std::vector<std::uint8_t> bytes(serialisedSize());
    std::copy(kMagic.begin(), kMagic.end(), bytes.begin());
    std::size_t offset = kMagic.size();
    visitFields(*this, [&](auto field) {
        std::memcpy(bytes.data() + offset, field.data(), field.size());
        offset += field.size();
    });
    return bytes;
}

std::optional<KeyboardMemory> KeyboardMemory::parse(std::span<const std::uint8_t> bytes) {
    if (bytes.size() != serialisedSize() ||
        !std::equal(kMagic.begin(), kMagic.end(), bytes.begin())) {
        return std::nullopt;
    }
    KeyboardMemory memory;
    std::size_t offset = kMagic.size();
    visitFields(memory, [&](auto field) {
        std::memcpy(field.data(), bytes.data() + offset, field.size());
        offset += field.size();
    });
    return memory;
}

}  // namespace tq260
