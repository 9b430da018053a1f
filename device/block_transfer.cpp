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

OperationResult readBlock(DeviceLink& link, const FeatureReport& announce, const ReadTiming& timing,
                          Block& block) {
    block = Block{};
    CommandTransaction transaction(link);
    transaction.set(announce);
    transaction.wait(timing.afterSetMs);
    transaction.get();  // the keyboard's acknowledgement carries nothing
    transaction.wait(timing.afterGetMs);
    for (std::size_t k = 0; k < kReportsPerBlock; ++k) {
        transaction.readReport(quarter(block, k));
        transaction.wait(timing.afterReportMs);
    }
    return transaction.result();
}

OperationResult writeBlock(DeviceLink& link, const FeatureReport& announce, const Block& block,
                           const WriteTiming& timing) {
    CommandTransaction transaction(link);
    transaction.set(announce);
    transaction.wait(timing.afterSetMs);
    for (std::size_t k = 0; k < kReportsPerBlock; ++k) {
        transaction.writeReport(quarter(block, k));
        transaction.wait(timing.afterReportMs);
    }
    return transaction.result();
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

OperationResult BlockTransfer::readKeyBlock(DeviceLink& link, std::size_t block,
                                            DeviceSettings& settings) {
    if (block >= kKeyBlockCount) return OperationResult::Done;
    Block wire;
    const OperationResult result =
        readBlock(link, keyBlockAnnounce(command::kReadKeyBlock1, block), kKeyRead, wire);
    decodeKeyBlock(wire, block, settings);
    return result;
}

OperationResult BlockTransfer::writeKeyBlock(DeviceLink& link, std::size_t block,
                                             const DeviceSettings& settings) {
    if (block >= kKeyBlockCount) return OperationResult::Done;
    return writeBlock(link, keyBlockAnnounce(command::kWriteKeyBlock1, block),
                      encodeKeyBlock(settings, block), kKeyWrite);
}

OperationResult BlockTransfer::readKeyTable(DeviceLink& link, DeviceSettings& settings) {
    for (std::size_t block = 0; block < kKeyBlockCount; ++block) {
        const OperationResult result = readKeyBlock(link, block, settings);
        if (result != OperationResult::Done) return result;
    }
    return OperationResult::Done;
}

OperationResult BlockTransfer::writeKeyTable(DeviceLink& link, const DeviceSettings& settings) {
    for (std::size_t block = 0; block < kKeyBlockCount; ++block) {
        const OperationResult result = writeKeyBlock(link, block, settings);
        if (result != OperationResult::Done) return result;
    }
    return OperationResult::Done;
}

OperationResult BlockTransfer::readMacroBlock(DeviceLink& link, std::size_t index,
                                              DeviceSettings& settings) {
    if (index >= kMacroBlockCount) return OperationResult::Done;
    Block wire;
    const OperationResult result =
        readBlock(link, macroBlockAnnounce(command::kReadMacroBlock, index), kMacroRead, wire);
    settings.macroBlocks[index] = swapMacroBytes(wire);
    return result;
}

OperationResult BlockTransfer::writeMacroBlock(DeviceLink& link, std::size_t index,
                                               const DeviceSettings& settings) {
    if (index >= kMacroBlockCount) return OperationResult::Done;
    return writeBlock(link, macroBlockAnnounce(command::kWriteMacroBlock, index),
                      swapMacroBytes(settings.macroBlocks[index]), kMacroWrite);
}

OperationResult BlockTransfer::readCustomLightMasks(DeviceLink& link, DeviceSettings& settings) {
    Block wire;
    const OperationResult result = readBlock(
        link, FeatureReport::request(command::kReadCustomLightMasks, {0, kMaskBlockSelector}),
        kMaskRead, wire);
    decodeCustomLightMasks(wire, settings);
    return result;
}

OperationResult BlockTransfer::writeCustomLightMasks(DeviceLink& link,
                                                     const DeviceSettings& settings) {
    return writeBlock(link,
                      FeatureReport::request(command::kWriteCustomLightMasks,
                                             {0, kMaskBlockSelector, kReportCount}),
                      encodeCustomLightMasks(settings), kMaskWrite);
}

}  // namespace tq260
