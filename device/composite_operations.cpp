#include "device/composite_operations.h"

#include <functional>
#include <initializer_list>

#include "device/block_transfer.h"
#include "device/device_commands.h"

namespace tq260 {

namespace {

inline constexpr int kBeforeWriteBackMs = 100;
inline constexpr int kAfterMacroWriteMs = 30;
inline constexpr int kFactoryResetSettleMs = 300;
inline constexpr int kBeforeFactoryResetMs = 100;

using Step = std::function<OperationResult()>;

// Runs the steps in order up to the first that does not end Done.
OperationResult inOrder(std::initializer_list<Step> steps) {
    for (const Step& step : steps) {
        const OperationResult result = step();
        if (result != OperationResult::Done) return result;
    }
    return OperationResult::Done;
}

OperationResult pause(DeviceLink& link, int ms) {
    link.clock().sleepMs(ms);
    return OperationResult::Done;
}

OperationResult readMacroBlocks(DeviceLink& link, DeviceSettings& settings,
                                ProgressCounter* progress) {
    for (std::size_t i = 0; i < kMacroBlockCount; ++i) {
        if (progress != nullptr) progress->next(OperationStep::MacroBlock);
        const OperationResult result = BlockTransfer::readMacroBlock(link, i, settings);
        if (result != OperationResult::Done) return result;
    }
    return OperationResult::Done;
}

OperationResult readAllBlocks(DeviceLink& link, DeviceSettings& settings,
                              ProgressCounter* progress = nullptr) {
    const auto step = [&](OperationStep s) {
        if (progress != nullptr) progress->next(s);
        return OperationResult::Done;
    };
    return inOrder({[&] { return step(OperationStep::KeyTable); },
                    [&] { return BlockTransfer::readKeyTable(link, settings); },
                    [&] { return readMacroBlocks(link, settings, progress); },
                    [&] { return step(OperationStep::LightMasks); },
                    [&] { return BlockTransfer::readCustomLightMasks(link, settings); }});
}

bool masksChanged(const DeviceSettings& settings, const SettingsShadow& shadow) {
    for (std::size_t i = 0; i < kCustomLightMaskCount; ++i) {
        if (shadow.changed(settings, Region::CustomLightMask, i)) return true;
    }
    return false;
}

// Lighting, report rate, response time and game mode always go; the blocks when changed.
int writeBackSteps(const DeviceSettings& settings, const SettingsShadow& shadow) {
    int steps = 4;
    if (shadow.changed(settings, Region::KeyTable)) ++steps;
    for (std::size_t i = 0; i < kMacroBlockCount; ++i) {
        if (shadow.changed(settings, Region::MacroBlock, i)) ++steps;
    }
    if (masksChanged(settings, shadow)) ++steps;
    return steps;
}

// The write back's commands; sent collects what the keyboard took.
OperationResult sendChanges(DeviceLink& link, const DeviceSettings& settings,
                            const SettingsShadow& shadow, DeviceSettings& sent,
                            ProgressCounter& progress) {
    pause(link, kBeforeWriteBackMs);
    progress.next(OperationStep::Lighting);
    if (const auto r = writeLighting(link, settings); r != OperationResult::Done) return r;
    sent.lighting = settings.lighting;

    if (shadow.changed(settings, Region::KeyTable)) {
        progress.next(OperationStep::KeyTable);
        const auto r = BlockTransfer::writeKeyTable(link, settings);
        if (r != OperationResult::Done) return r;
        sent.keyTable = settings.keyTable;
    }
    for (std::size_t i = 0; i < kMacroBlockCount; ++i) {
        if (!shadow.changed(settings, Region::MacroBlock, i)) continue;
        progress.next(OperationStep::MacroBlock);
        const auto r = BlockTransfer::writeMacroBlock(link, i, settings);
        if (r != OperationResult::Done) return r;
        sent.macroBlocks[i] = settings.macroBlocks[i];
        pause(link, kAfterMacroWriteMs);
    }

    progress.next(OperationStep::ReportRate);
    if (const auto r = writeReportRate(link, settings); r != OperationResult::Done) return r;
    sent.reportRate = settings.reportRate;
    progress.next(OperationStep::ResponseTime);
    if (const auto r = writeResponseTime(link, settings); r != OperationResult::Done) return r;
    sent.responseTime = settings.responseTime;

    if (masksChanged(settings, shadow)) {
        progress.next(OperationStep::LightMasks);
        const auto r = BlockTransfer::writeCustomLightMasks(link, settings);
        if (r != OperationResult::Done) return r;
        sent.customLightMasks = settings.customLightMasks;
    }
    progress.next(OperationStep::GameMode);
    return writeGameMode(link, settings);
}

}  // namespace

OperationResult fullRead(DeviceLink& link, DeviceSettings& settings, DeviceIdentity& identity) {
    return inOrder(
        {[&] { return gameModeOn(link); }, [&] { return readReportRate(link, settings); },
         [&] { return readResponseTime(link, settings); },
         [&] { return readAllBlocks(link, settings); },
         [&] { return readIdentity(link, identity); }, [&] { return readLighting(link, settings); },
         [&] { return readGameMode(link, settings); }});
}

OperationResult rereadAfterReset(DeviceLink& link, DeviceSettings& settings) {
    return inOrder({[&] { return gameModeOn(link); }, [&] { return readAllBlocks(link, settings); },
                    [&] { return readLighting(link, settings); }});
}

OperationResult writeBack(DeviceLink& link, const DeviceSettings& settings, SettingsShadow& shadow,
                          const ProgressListener& progress) {
    DeviceSettings sent = shadow.record();
    ProgressCounter counter(progress, writeBackSteps(settings, shadow));
    const OperationResult result = sendChanges(link, settings, shadow, sent, counter);
    // Done takes the whole record, host-only parts included, as what was saved.
    shadow.synchronise(result == OperationResult::Done ? settings : sent);
    return result;
}

OperationResult writeBack(DeviceLink& link, KeyboardState& state) {
    std::lock_guard lock(state.recordMutex);
    return writeBack(link, state.settings, state.shadow);
}

OperationResult factoryReset(DeviceLink& link) {
    // The reset command's own wait is the first settling time; each game-mode-on keeps its
    // own wait and is followed by another settling time.
    return inOrder({[&] { return sendFactoryReset(link); }, [&] { return gameModeOn(link); },
                    [&] { return pause(link, kFactoryResetSettleMs); },
                    [&] { return gameModeOn(link); },
                    [&] { return pause(link, kFactoryResetSettleMs); }});
}

OperationResult restoreFactorySettings(DeviceLink& link, DeviceSettings& reread,
                                       const ProgressListener& progress) {
    // The reset, the key table, six macro blocks, the masks, lighting and game mode.
    ProgressCounter counter(progress, 1 + 1 + static_cast<int>(kMacroBlockCount) + 1 + 1 + 1);
    const auto step = [&](OperationStep s) {
        counter.next(s);
        return OperationResult::Done;
    };
    return inOrder(
        {[&] { return step(OperationStep::FactoryReset); },
         [&] { return pause(link, kBeforeFactoryResetMs); }, [&] { return factoryReset(link); },
         [&] { return gameModeOn(link); }, [&] { return gameModeOn(link); },
         [&] { return readAllBlocks(link, reread, &counter); },
         [&] { return step(OperationStep::Lighting); }, [&] { return readLighting(link, reread); },
         [&] { return step(OperationStep::GameMode); },
         [&] { return readGameMode(link, reread); }});
}

}  // namespace tq260
