#include "device/block_transfer.h"

#include <span>

#include "device/block_codec.h"
#include "device/command_transaction.h"
#include "device/device_commands.h"

namespace tq260 {

namespace {

inline constexpr std::size_t kReportsPerBlock = kBlockSize / kBlockReportPayload;
inline constexpr std::uint8_t kReportCount = 4;  // byte 4 of the announcing reports
inline constexpr std::uint8_t kMaskBlockSelector = 7;

struct ReadTiming {
    int afterSetMs;     // before the announcing report's reply is fetched
    int afterGetMs;     // before the first report
    int afterReportMs;  // after each report
};

struct WriteTiming {
    int afterSetMs;
    int afterReportMs;
};

constexpr ReadTiming kKeyRead{0, 100, 30};
constexpr ReadTiming kMacroRead{0, 0, 1};
constexpr ReadTiming kMaskRead{5, 5, 5};
constexpr WriteTiming kKeyWrite{10, 40};
constexpr WriteTiming kMacroWrite{1, 50};
constexpr WriteTiming kMaskWrite{5, 5};

std::span<std::uint8_t, kBlockReportPayload> quarter(Block& block, std::size_t k) {
    return std::span<std::uint8_t, kBlockSize>(block)
        .subspan(k * kBlockReportPayload)
        .first<kBlockReportPayload>();
}

std::span<const std::uint8_t, kBlockReportPayload> quarter(const Block& block, std::size_t k) {
    return std::span<const std::uint8_t, kBlockSize>(block)
        .subspan(k * kBlockReportPayload)
        .first<kBlockReportPayload>();
}

Block readBlock(DeviceLink& link, const FeatureReport& announce, const ReadTiming& timing) {
    Block block{};
    CommandTransaction transaction(link);
    transaction.set(announce);
    transaction.wait(timing.afterSetMs);
    transaction.get();  // the keyboard's acknowledgement carries nothing
    transaction.wait(timing.afterGetMs);
    for (std::size_t k = 0; k < kReportsPerBlock; ++k) {
        transaction.readReport(quarter(block, k));
        transaction.wait(timing.afterReportMs);
    }
    return block;
}

void writeBlock(DeviceLink& link, const FeatureReport& announce, const Block& block,
                const WriteTiming& timing) {
    CommandTransaction transaction(link);
    transaction.set(announce);
    transaction.wait(timing.afterSetMs);
    for (std::size_t k = 0; k < kReportsPerBlock; ++k) {
        transaction.writeReport(quarter(block, k));
        transaction.wait(timing.afterReportMs);
    }
}

FeatureReport keyBlockAnnounce(std::uint8_t firstBlockCommand, std::size_t block) {
    return FeatureReport::request(static_cast<std::uint8_t>(firstBlockCommand + block),
                                  {0, 0, kReportCount, 0, 0, 0});
}

FeatureReport macroBlockAnnounce(std::uint8_t command, std::size_t index) {
    return FeatureReport::request(command,
                                  {0, static_cast<std::uint8_t>(index), kReportCount, 0, 0, 0});
}

}  // namespace

void BlockTransfer::readKeyBlock(DeviceLink& link, std::size_t block, DeviceSettings& settings) {
    if (block >= kKeyBlockCount) return;
    const Block wire = readBlock(link, keyBlockAnnounce(command::kReadKeyBlock1, block), kKeyRead);
    decodeKeyBlock(wire, block, settings);
}

void BlockTransfer::writeKeyBlock(DeviceLink& link, std::size_t block,
                                  const DeviceSettings& settings) {
    if (block >= kKeyBlockCount) return;
    writeBlock(link, keyBlockAnnounce(command::kWriteKeyBlock1, block),
               encodeKeyBlock(settings, block), kKeyWrite);
}

void BlockTransfer::readKeyTable(DeviceLink& link, DeviceSettings& settings) {
    for (std::size_t block = 0; block < kKeyBlockCount; ++block) {
        readKeyBlock(link, block, settings);
    }
}

void BlockTransfer::writeKeyTable(DeviceLink& link, const DeviceSettings& settings) {
    for (std::size_t block = 0; block < kKeyBlockCount; ++block) {
        writeKeyBlock(link, block, settings);
    }
}

void BlockTransfer::readMacroBlock(DeviceLink& link, std::size_t index, DeviceSettings& settings) {
    if (index >= kMacroBlockCount) return;
    const Block wire =
        readBlock(link, macroBlockAnnounce(command::kReadMacroBlock, index), kMacroRead);
    settings.macroBlocks[index] = swapMacroBytes(wire);
}

void BlockTransfer::writeMacroBlock(DeviceLink& link, std::size_t index,
                                    const DeviceSettings& settings) {
    if (index >= kMacroBlockCount) return;
    writeBlock(link, macroBlockAnnounce(command::kWriteMacroBlock, index),
               swapMacroBytes(settings.macroBlocks[index]), kMacroWrite);
}

void BlockTransfer::readCustomLightMasks(DeviceLink& link, DeviceSettings& settings) {
    const Block wire = readBlock(
        link, FeatureReport::request(command::kReadCustomLightMasks, {0, kMaskBlockSelector}),
        kMaskRead);
    decodeCustomLightMasks(wire, settings);
}

void BlockTransfer::writeCustomLightMasks(DeviceLink& link, const DeviceSettings& settings) {
    writeBlock(link,
               FeatureReport::request(command::kWriteCustomLightMasks,
                                      {0, kMaskBlockSelector, kReportCount}),
               encodeCustomLightMasks(settings), kMaskWrite);
}

}  // namespace tq260
