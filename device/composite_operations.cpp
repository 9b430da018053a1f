#include "device/composite_operations.h"

#include "device/block_transfer.h"
#include "device/device_commands.h"

namespace tq260 {

namespace {

inline constexpr int kBeforeWriteBackMs = 100;
inline constexpr int kAfterMacroWriteMs = 30;
inline constexpr int kFactoryResetSettleMs = 300;

void readAllBlocks(DeviceLink& link, DeviceSettings& settings) {
    BlockTransfer::readKeyTable(link, settings);
    for (std::size_t i = 0; i < kMacroBlockCount; ++i)
        BlockTransfer::readMacroBlock(link, i, settings);
    BlockTransfer::readCustomLightMasks(link, settings);
}

void pause(DeviceLink& link, int ms) {
    link.clock().sleepMs(ms);
}

}  // namespace

void fullRead(DeviceLink& link, DeviceSettings& settings, DeviceIdentity& identity) {
    gameModeOn(link);
    readReportRate(link, settings);
    readResponseTime(link, settings);
    readAllBlocks(link, settings);
    readIdentity(link, identity);
    readLighting(link, settings);
    readGameMode(link, settings);
}

void rereadAfterReset(DeviceLink& link, DeviceSettings& settings) {
    gameModeOn(link);
    readAllBlocks(link, settings);
    readLighting(link, settings);
}

void writeBack(DeviceLink& link, const DeviceSettings& settings, SettingsShadow& shadow) {
    pause(link, kBeforeWriteBackMs);
    writeLighting(link, settings);
    if (shadow.changed(settings, Region::KeyTable)) BlockTransfer::writeKeyTable(link, settings);

    for (std::size_t i = 0; i < kMacroBlockCount; ++i) {
        if (!shadow.changed(settings, Region::MacroBlock, i)) continue;
        BlockTransfer::writeMacroBlock(link, i, settings);
        pause(link, kAfterMacroWriteMs);
    }

    writeReportRate(link, settings);
    writeResponseTime(link, settings);

    bool masksChanged = false;
    for (std::size_t i = 0; i < kCustomLightMaskCount; ++i) {
        masksChanged = masksChanged || shadow.changed(settings, Region::CustomLightMask, i);
    }
    if (masksChanged) BlockTransfer::writeCustomLightMasks(link, settings);

    writeGameMode(link, settings);
    shadow.synchronise(settings);
}

void writeBack(DeviceLink& link, KeyboardState& state) {
    std::lock_guard lock(state.recordMutex);
    writeBack(link, state.settings, state.shadow);
}

void factoryReset(DeviceLink& link) {
    // The reset command's own wait is the first settling time; each game-mode-on keeps its
    // own wait and is followed by another settling time.
    sendFactoryReset(link);
    gameModeOn(link);
    pause(link, kFactoryResetSettleMs);
    gameModeOn(link);
    pause(link, kFactoryResetSettleMs);
}

}  // namespace tq260
