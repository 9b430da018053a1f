#include "emulator/virtual_keyboard.h"

#include <algorithm>

#include "device/device_commands.h"
#include "device/feature_report.h"
#include "platform/atomic_file.h"

namespace tq260 {

namespace {

constexpr std::size_t kReportPayload = 32;
constexpr std::size_t kReportsPerBlock = kBlockSize / kReportPayload;
constexpr std::uint8_t kEventReportId = 4;
constexpr std::uint8_t kLightingChangedEvent = 1;

std::vector<std::uint8_t> toVector(std::span<const std::uint8_t> bytes) {
    return {bytes.begin(), bytes.end()};
}

}  // namespace

VirtualKeyboard::VirtualKeyboard(Clock& clock, KeyboardMemory memory)
    : clock_(clock), memory_(memory) {}

KeyboardMemory VirtualKeyboard::memory() const {
    std::lock_guard lock(mutex_);
    return memory_;
}

void VirtualKeyboard::setMemory(const KeyboardMemory& memory) {
    std::lock_guard lock(mutex_);
    memory_ = memory;
    persistLocked();
}

void VirtualKeyboard::editMemory(const std::function<void(KeyboardMemory&)>& edit) {
    std::lock_guard lock(mutex_);
    edit(memory_);
    persistLocked();
}

void VirtualKeyboard::attachStorage(const std::filesystem::path& file, StorageFailure onFailure,
                                    DamagedStorage onDamaged) {
    std::lock_guard lock(mutex_);
    storage_ = file;
    onStorageFailure_ = std::move(onFailure);
    storageFailureTold_ = false;
    const auto bytes = readFileBytes(file, memory_.serialise().size() + 1);
    if (const auto stored = bytes ? KeyboardMemory::parse(*bytes) : std::nullopt) {
        memory_ = *stored;
        return;
    }
    // A file that holds no memory image goes aside before the factory memory takes its name.
    // One that is there but cannot be read, or moved, is kept: nothing is stored this run.
    const auto aside = bytes ? keepAside(file) : std::nullopt;
    std::error_code error;
    const bool kept = bytes ? !aside : (std::filesystem::exists(file, error) || error);
    if (kept) {
        storage_.reset();
        if (onStorageFailure_) onStorageFailure_(file);
        return;
    }
    if (aside && onDamaged) onDamaged(file, *aside);
    persistLocked();
}

void VirtualKeyboard::changeLightingOnKeyboard(const LightingSettings& lighting) {
    const auto speed = static_cast<std::uint8_t>(lighting.speed + 1);
    {
        std::lock_guard lock(mutex_);
        memory_.lighting = {lighting.effect, lighting.brightness, speed, lighting.direction,
                            lighting.option};
        persistLocked();
    }
    sendEventReport(
        {kEventReportId, kLightingChangedEvent, lighting.effect, lighting.brightness, speed,
         static_cast<std::uint8_t>((lighting.direction & 0x07) | (lighting.option << 5)), 0});
}

void VirtualKeyboard::sendEventReport(std::vector<std::uint8_t> report) {
    std::lock_guard lock(mutex_);
    if (!plugged_) return;
    eventReports_.push_back(std::move(report));
}

void VirtualKeyboard::unplug() {
    {
        std::lock_guard lock(mutex_);
        if (!plugged_) return;
        unplugLocked();
    }
    notifyPlugChange();
}

void VirtualKeyboard::plug() {
    {
        std::lock_guard lock(mutex_);
        if (plugged_) return;
        plugged_ = true;
        plugChangePending_ = true;
    }
    notifyPlugChange();
}

bool VirtualKeyboard::isPlugged() const {
    std::lock_guard lock(mutex_);
    return plugged_;
}

void VirtualKeyboard::setPlugListener(PlugListener listener) {
    std::lock_guard lock(listenerMutex_);
    plugListener_ = std::move(listener);
}

void VirtualKeyboard::notifyPlugChange() {
    bool plugged = false;
    {
        std::lock_guard lock(mutex_);
        if (!plugChangePending_) return;
        plugChangePending_ = false;
        plugged = plugged_;
    }
    std::lock_guard lock(listenerMutex_);
    if (plugListener_) plugListener_(plugged);
}

void VirtualKeyboard::setSilent(bool silent) {
    std::lock_guard lock(mutex_);
    silent_ = silent;
}

void VirtualKeyboard::fallSilentAfterCommands(int count) {
    std::lock_guard lock(mutex_);
    commandsBeforeSilence_ = std::max(count, 0);
}

void VirtualKeyboard::countSilenceLocked() {
    if (commandsBeforeSilence_ > 0 && --commandsBeforeSilence_ == 0) silent_ = true;
}

void VirtualKeyboard::setLateAnswerMs(int ms) {
    std::lock_guard lock(mutex_);
    lateAnswerMs_ = std::max(ms, 0);
}

void VirtualKeyboard::loseInputReports(int count) {
    std::lock_guard lock(mutex_);
    reportsToLose_ = std::max(count, 0);
}

void VirtualKeyboard::unplugAfterReports(int count) {
    std::lock_guard lock(mutex_);
    reportsBeforeUnplug_ = std::max(count, 0);
}

std::uint64_t VirtualKeyboard::connection() const {
    std::lock_guard lock(mutex_);
    return connection_;
}

bool VirtualKeyboard::liveLocked(std::uint64_t connection) const {
    return plugged_ && connection == connection_;
}

void VirtualKeyboard::logLocked(TraceChannel channel, TraceOp op,
                                std::span<const std::uint8_t> bytes, bool failed) {
    log_.add({clock_.nowUs(), channel, op, toVector(bytes), failed});
}

bool VirtualKeyboard::waitOutSilenceLocked(std::unique_lock<std::mutex>& lock,
                                           std::uint64_t connection) {
    if (!silent_ || !liveLocked(connection)) return false;
    // A keyboard that does not answer lets the transfer run into the platform's timeout.
    lock.unlock();
    clock_.blockUs(std::int64_t{kReplyTimeoutMs} * 1000);
    lock.lock();
    return true;
}

int VirtualKeyboard::setFeature(std::uint64_t connection, std::span<const std::uint8_t> report) {
    std::unique_lock lock(mutex_);
    if (waitOutSilenceLocked(lock, connection) || !liveLocked(connection)) {
        logLocked(TraceChannel::Command, TraceOp::Set, report, true);
        return -1;
    }
    logLocked(TraceChannel::Command, TraceOp::Set, report, false);
    if (report.size() >= kFeatureReportSize) handleCommandLocked(report);
    countSilenceLocked();
    return static_cast<int>(report.size());
}

int VirtualKeyboard::getFeature(std::uint64_t connection, std::span<std::uint8_t> report) {
    std::unique_lock lock(mutex_);
    const bool answers = !silent_ && lateAnswerMs_ <= kReplyTimeoutMs;
    const int waitMs = answers ? lateAnswerMs_ : kReplyTimeoutMs;
    if (liveLocked(connection) && waitMs > 0) {
        lock.unlock();
        clock_.blockUs(std::int64_t{waitMs} * 1000);
        lock.lock();
    }
    if (!liveLocked(connection) || !answers) {
        logLocked(TraceChannel::Command, TraceOp::Get, report, true);
        return -1;
    }
    const std::size_t n = std::min(report.size(), reply_.size());
    std::copy_n(reply_.begin(), n, report.begin());
    logLocked(TraceChannel::Command, TraceOp::Get, report, false);
    return static_cast<int>(n);
}

int VirtualKeyboard::writeReport(std::uint64_t connection, std::span<const std::uint8_t> report) {
    {
        std::unique_lock lock(mutex_);
        if (waitOutSilenceLocked(lock, connection) || !liveLocked(connection)) {
            logLocked(TraceChannel::Command, TraceOp::Write, report, true);
            return -1;
        }
        logLocked(TraceChannel::Command, TraceOp::Write, report, false);
        if (pendingWrite_ != PendingWrite::None) {
            // Each report carries the next 32 bytes of the block; a short one is padded.
            std::array<std::uint8_t, kReportPayload> payload{};
            if (report.size() > 1) {
                std::copy_n(report.begin() + 1, std::min(report.size() - 1, kReportPayload),
                            payload.begin());
            }
            writeBuffer_.insert(writeBuffer_.end(), payload.begin(), payload.end());
            if (writeBuffer_.size() >= kBlockSize) commitWriteLocked();
        }
        countReportLocked();
    }
    notifyPlugChange();
    return static_cast<int>(report.size());
}

int VirtualKeyboard::readReport(std::uint64_t connection, std::span<std::uint8_t> report,
                                int timeoutMs) {
    const int result =
        readQueued(TraceChannel::Command, commandReports_, connection, report, timeoutMs);
    notifyPlugChange();
    return result;
}

int VirtualKeyboard::readEvent(std::uint64_t connection, std::span<std::uint8_t> report,
                               int timeoutMs) {
    return readQueued(TraceChannel::Event, eventReports_, connection, report, timeoutMs);
}

std::size_t VirtualKeyboard::queuedCommandReports() const {
    std::lock_guard lock(mutex_);
    return commandReports_.size();
}

int VirtualKeyboard::readQueued(TraceChannel channel, std::deque<std::vector<std::uint8_t>>& queue,
                                std::uint64_t connection, std::span<std::uint8_t> report,
                                int timeoutMs) {
    std::unique_lock lock(mutex_);
    const auto failed = [&](int result) {
        // An empty wait on the event channel is its idle state and leaves no entry.
        if (result < 0 || channel == TraceChannel::Command) {
            logLocked(channel, TraceOp::Read, report, true);
        }
        return result;
    };
    if (!liveLocked(connection)) return failed(-1);

    const std::int64_t timeoutUs = std::int64_t{std::max(timeoutMs, 0)} * 1000;
    const std::int64_t delayUs =
        channel == TraceChannel::Command ? std::int64_t{lateAnswerMs_} * 1000 : 0;
    const bool answersInTime = delayUs <= timeoutUs;
    const std::int64_t blockUs = !queue.empty() && answersInTime ? delayUs : timeoutUs;
    if (blockUs > 0) {
        // Blocked without the lock, so that the user's side can act meanwhile.
        lock.unlock();
        clock_.blockUs(blockUs);
        lock.lock();
    }
    if (!liveLocked(connection)) return failed(-1);
    if (queue.empty() || !answersInTime) return failed(0);

    const std::vector<std::uint8_t> bytes = std::move(queue.front());
    queue.pop_front();
    const std::size_t n = std::min(bytes.size(), report.size());
    std::copy_n(bytes.begin(), n, report.begin());
    logLocked(channel, TraceOp::Read, report.first(n), false);
    if (channel == TraceChannel::Command) countReportLocked();
    return static_cast<int>(n);
}

void VirtualKeyboard::handleCommandLocked(std::span<const std::uint8_t> report) {
    const std::uint8_t code = report[1];
    const std::uint8_t value = report[2];
    // A new command ends a block write that did not receive all its reports.
    pendingWrite_ = PendingWrite::None;
    writeBuffer_.clear();

    reply_.fill(0);
    reply_[1] = code;
    bool changed = false;
    switch (code) {
        case command::kReadIdentity:
            reply_[2] = memory_.firmware.major;
            reply_[3] = memory_.firmware.minor;
            reply_[4] = 0xD9;  // vendor and product id, little-endian
            reply_[5] = 0x04;
            reply_[6] = 0x2F;
            reply_[7] = 0xA1;
            break;
        case command::kReadReportRate:
            reply_[2] = memory_.reportRate;
            break;
        case command::kWriteReportRate:
            memory_.reportRate = value;
            changed = true;
            break;
        case command::kReadResponseTime:
            reply_[2] = memory_.responseTime;
            break;
        case command::kWriteResponseTime:
            memory_.responseTime = value;
            changed = true;
            break;
        case command::kReadLighting:
            std::copy(memory_.lighting.begin(), memory_.lighting.end(), reply_.begin() + 2);
            break;
        case command::kWriteLighting:
            std::copy_n(report.begin() + 2, memory_.lighting.size(), memory_.lighting.begin());
            changed = true;
            break;
        case command::kReadGameMode:
            reply_[2] = memory_.gameMode;
            break;
        case command::kWriteGameMode:
            memory_.gameMode = value;
            changed = true;
            break;
        case command::kFactoryReset:
            if (value == 0xFF) {
                memory_ = KeyboardMemory::factoryDefaults(memory_.firmware);
                changed = true;
            }
            break;
        case command::kReadKeyBlock1:
        case command::kReadKeyBlock2:
            queueBlockLocked(memory_.keyBlocks[code - command::kReadKeyBlock1]);
            break;
        case command::kWriteKeyBlock1:
            pendingWrite_ = PendingWrite::KeyBlock1;
            break;
        case command::kWriteKeyBlock2:
            pendingWrite_ = PendingWrite::KeyBlock2;
            break;
        case command::kReadMacroBlock:
            if (report[3] < kMacroBlockCount) queueBlockLocked(memory_.macroBlocks[report[3]]);
            break;
        case command::kWriteMacroBlock:
            if (report[3] < kMacroBlockCount) {
                pendingWrite_ = PendingWrite::MacroBlock;
                pendingMacroIndex_ = report[3];
            }
            break;
        case command::kReadCustomLightMasks:
            queueBlockLocked(memory_.customLightMasks);
            break;
        case command::kWriteCustomLightMasks:
            pendingWrite_ = PendingWrite::Masks;
            break;
        default:
            break;
    }
    reply_[8] = featureChecksum(reply_);
    if (changed) persistLocked();
}

void VirtualKeyboard::queueBlockLocked(const Block& block) {
    for (std::size_t k = 0; k < kReportsPerBlock; ++k) {
        if (reportsToLose_ > 0) {
            --reportsToLose_;
            continue;
        }
        std::vector<std::uint8_t> report(1 + kReportPayload, 0);
        std::copy_n(block.begin() + static_cast<std::ptrdiff_t>(k * kReportPayload), kReportPayload,
                    report.begin() + 1);
        commandReports_.push_back(std::move(report));
    }
}

void VirtualKeyboard::commitWriteLocked() {
    Block block{};
    std::copy_n(writeBuffer_.begin(), kBlockSize, block.begin());
    switch (pendingWrite_) {
        case PendingWrite::KeyBlock1:
            memory_.keyBlocks[0] = block;
            break;
        case PendingWrite::KeyBlock2:
            memory_.keyBlocks[1] = block;
            break;
        case PendingWrite::MacroBlock:
            memory_.macroBlocks[pendingMacroIndex_] = block;
            break;
        case PendingWrite::Masks:
            memory_.customLightMasks = block;
            break;
        case PendingWrite::None:
            return;
    }
    pendingWrite_ = PendingWrite::None;
    writeBuffer_.clear();
    persistLocked();
}

void VirtualKeyboard::countReportLocked() {
    if (reportsBeforeUnplug_ > 0 && --reportsBeforeUnplug_ == 0) unplugLocked();
}

void VirtualKeyboard::unplugLocked() {
    plugged_ = false;
    ++connection_;
    commandReports_.clear();
    eventReports_.clear();
    pendingWrite_ = PendingWrite::None;
    writeBuffer_.clear();
    plugChangePending_ = true;
}

void VirtualKeyboard::persistLocked() {
    if (!storage_) return;
    if (writeFileAtomically(*storage_, memory_.serialise())) {
        storageFailureTold_ = false;
        return;
    }
    if (storageFailureTold_) return;
    storageFailureTold_ = true;
    if (onStorageFailure_) onStorageFailure_(*storage_);
}

}  // namespace tq260
