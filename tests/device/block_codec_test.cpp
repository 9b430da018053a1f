#include "device/block_codec.h"

#include <gmock/gmock.h>

#include "keys/factory_key_map.h"

namespace tq260 {
namespace {

using ::testing::ElementsAre;

Block keyBlockWithPair(std::size_t pair, std::uint8_t code, std::uint8_t kindByte) {
    Block wire{};
    wire[2 * pair] = code;
    wire[2 * pair + 1] = kindByte;
    return wire;
}

KeyEntry decodeSingle(std::uint8_t code, std::uint8_t kindByte) {
    DeviceSettings settings;
    decodeKeyBlock(keyBlockWithPair(0, code, kindByte), 0, settings);
    return settings.keyTable[0];
}

std::array<std::uint8_t, 2> roundTrip(std::uint8_t code, std::uint8_t kindByte) {
    DeviceSettings settings;
    decodeKeyBlock(keyBlockWithPair(0, code, kindByte), 0, settings);
    return encodeKeyPair(settings, 0);
}

TEST(KeyBlockCodec, PairsDecodeToSlotsAndEncodeBack) {
    EXPECT_EQ(decodeSingle(0x2C, 0x00), (KeyEntry{0, 0, 0x2C, 0}));
    EXPECT_THAT(roundTrip(0x2C, 0x00), ElementsAre(0x2C, 0x00));

    EXPECT_EQ(decodeSingle(0x05, 0x4F), (KeyEntry{4, 15, 0x05, 0}));
    EXPECT_THAT(roundTrip(0x05, 0x4F), ElementsAre(0x05, 0x41));

    EXPECT_EQ(decodeSingle(0x10, 0x37), (KeyEntry{3, 0, 0x10, 7}));
    EXPECT_THAT(roundTrip(0x10, 0x37), ElementsAre(0x10, 0x37));

    EXPECT_EQ(decodeSingle(0x44, 0x2A), (KeyEntry{2, 0, 0x44, 0x0A}));
    EXPECT_THAT(roundTrip(0x44, 0x2A), ElementsAre(0x44, 0x2A));
}

TEST(KeyBlockCodec, UnknownKindLeavesItsOwnSlotAlone) {
    DeviceSettings settings;
    settings.keyTable[63] = {0, 0, 0x39, 0};
    settings.keyTable[64] = {0, 0, 0x04, 0};
    // Pair 0 of the second block has kind 5: slot 63 keeps its content and does not take
    // its neighbour's.
    Block wire = keyBlockWithPair(0, 0x77, 0x51);
    wire[2] = 0x16;  // pair 1 -> slot 64
    decodeKeyBlock(wire, 1, settings);
    EXPECT_EQ(settings.keyTable[63], (KeyEntry{0, 0, 0x39, 0}));
    EXPECT_EQ(settings.keyTable[64], (KeyEntry{0, 0, 0x16, 0}));
}

TEST(KeyBlockCodec, SecondBlockShiftsByOneSlotAndPair63NeverArrives) {
    DeviceSettings settings;
    settings.keyTable[126] = {0, 0xE0, 0, 0};
    settings.keyTable[127] = {0, 0xE1, 0, 0};
    Block first{};
    Block second{};
    for (std::size_t p = 0; p < 64; ++p) {
        first[2 * p] = static_cast<std::uint8_t>(p + 1);
        second[2 * p] = static_cast<std::uint8_t>(0x80 + p);
    }
    decodeKeyBlock(first, 0, settings);
    decodeKeyBlock(second, 1, settings);
    EXPECT_EQ(settings.keyTable[0].code, 1);
    EXPECT_EQ(settings.keyTable[62].code, 63);
    EXPECT_EQ(settings.keyTable[63].code, 0x80);  // pair 0 of block 2, not pair 63 of block 1
    EXPECT_EQ(settings.keyTable[125].code, 0x80 + 62);
    EXPECT_EQ(settings.keyTable[126], KeyEntry{});  // pair 63 of block 2 is dropped
    EXPECT_EQ(settings.keyTable[127], KeyEntry{});
}

TEST(KeyBlockCodec, EncodingSendsOnlyTheCodeOfKindZeroAndEndsWithTwoZeros) {
    DeviceSettings settings;
    settings.keyTable.fill({0, 0xE0, 0x06, 0x1B});  // a combination lives in memory only
    settings.keyTable[63 + 62] = {0, 0, 0x58, 0};
    const Block first = encodeKeyBlock(settings, 0);
    const Block second = encodeKeyBlock(settings, 1);
    EXPECT_THAT(std::vector<std::uint8_t>(first.begin(), first.begin() + 4),
                ElementsAre(0x06, 0x00, 0x06, 0x00));
    EXPECT_EQ(second[124], 0x58);  // slot 125 is pair 62 of the second block
    EXPECT_EQ(first[126], 0);
    EXPECT_EQ(first[127], 0);
    EXPECT_EQ(second[126], 0);
    EXPECT_EQ(second[127], 0);
}

TEST(KeyBlockCodec, ConsumerParameterCannotSpillIntoTheKind) {
    DeviceSettings settings;
    settings.keyTable[0] = {3, 0, 0x83, 0x21};
    EXPECT_THAT(encodeKeyPair(settings, 0), ElementsAre(0x83, 0x31));
}

TEST(KeyBlockCodec, HostReferenceSendsTheReferencedCode) {
    DeviceSettings settings;
    settings.hostKeyData[5] = {0, 0, 0x2A, 0};
    settings.keyTable[10] = {0x10, 7, 5, 9};
    EXPECT_THAT(encodeKeyPair(settings, 10), ElementsAre(0x2A, 0x00));
    // A reference past the 64 host slots is not followed; the slot's factory key goes out.
    settings.keyTable[10] = {0x10, 0, 64, 0};
    EXPECT_THAT(encodeKeyPair(settings, 10), ElementsAre(FactoryKeyMap[10].code, 0x00));
}

TEST(KeyBlockCodec, LaunchAndUnknownKindsSendTheFactoryKey) {
    DeviceSettings settings;
    settings.keyTable[2] = {0x14, 0, 0x70, 0};  // launch on F1 (slot 2)
    EXPECT_THAT(encodeKeyPair(settings, 2), ElementsAre(0x3A, 0x00));
    settings.keyTable[64] = {0x07, 1, 0x99, 1};  // A's slot, kind without meaning
    EXPECT_THAT(encodeKeyPair(settings, 64), ElementsAre(0x04, 0x00));
}

TEST(MacroBlockCodec, SwapsTheBytesOfEveryWord) {
    Block memory{};
    memory[0] = 0x01;
    memory[1] = 0x02;
    memory[2] = 0x03;
    memory[3] = 0x04;
    memory[126] = 0xAA;
    memory[127] = 0xBB;
    const Block wire = swapMacroBytes(memory);
    EXPECT_THAT(std::vector<std::uint8_t>(wire.begin(), wire.begin() + 4),
                ElementsAre(0x02, 0x01, 0x04, 0x03));
    EXPECT_EQ(wire[126], 0xBB);
    EXPECT_EQ(wire[127], 0xAA);
    EXPECT_EQ(swapMacroBytes(wire), memory);
}

TEST(CustomLightMaskCodec, MasksFillTheFirst54BytesOnly) {
    DeviceSettings settings;
    settings.customLightMasks[0].bits[0] = 0x11;
    settings.customLightMasks[2].bits[17] = 0x80;
    Block wire = encodeCustomLightMasks(settings);
    EXPECT_EQ(wire[0], 0x11);
    EXPECT_EQ(wire[53], 0x80);
    EXPECT_TRUE(std::all_of(wire.begin() + 54, wire.end(), [](std::uint8_t b) { return b == 0; }));

    wire[54] = 0xFF;  // beyond the masks: dropped
    DeviceSettings read;
    decodeCustomLightMasks(wire, read);
    EXPECT_EQ(read.customLightMasks, settings.customLightMasks);
    EXPECT_EQ(read.gameMode, 0);
}

}  // namespace
}  // namespace tq260
