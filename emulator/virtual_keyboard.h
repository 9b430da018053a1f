#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>
#include <span>
#include <vector>

#include "device/device_settings.h"
#include "emulator/keyboard_memory.h"
#include "emulator/wire_log.h"
#include "platform/clock.h"

namespace tq260 {

// The keyboard's side of the protocol: it answers every command, moves blocks both ways,
// sends event reports when "the user" changes the lighting on it, can be unplugged and
// plugged again, and misbehaves on request. Every call from the host is in its wire log.
class VirtualKeyboard {
  public:
    // How long the platform lets a feature report fetch wait before failing it, as the
    // USB stack's control-transfer timeout does.
    static constexpr int kReplyTimeoutMs = 5000;

    explicit VirtualKeyboard(Clock& clock,
                             KeyboardMemory memory = KeyboardMemory::factoryDefaults());
    VirtualKeyboard(const VirtualKeyboard&) = delete;
    VirtualKeyboard& operator=(const VirtualKeyboard&) = delete;

    // The flash content.
    KeyboardMemory memory() const;
    void setMemory(const KeyboardMemory& memory);
    void editMemory(const std::function<void(KeyboardMemory&)>& edit);
    // Keeps the memory in a file: loaded from it when it holds a valid memory image, and
    // rewritten after every change. A file that is there but cannot be read is never
    // written over. onFailure hears of that, and of the first write that fails (again after
    // one succeeds); it is called on whatever thread changed the memory, with the keyboard
    // locked, so it must only pass the news on.
    // A file that is there but holds no memory image (empty, the wrong size, another kind of
    // file) is moved aside before the factory memory is stored; onDamaged hears where it went.
    using StorageFailure = std::function<void(const std::filesystem::path&)>;
    using DamagedStorage =
        std::function<void(const std::filesystem::path& file, const std::filesystem::path& keptAs)>;
    void attachStorage(const std::filesystem::path& file, StorageFailure onFailure = {},
                       DamagedStorage onDamaged = {});

    // The user changes the lighting with the keyboard's own keys (speed as stored on the
    // host, 0..9): the keyboard takes it and sends its event report.
    void changeLightingOnKeyboard(const LightingSettings& lighting);
    // Any report on the event channel, report id first.
    void sendEventReport(std::vector<std::uint8_t> report);

    void unplug();
    void plug();
    bool isPlugged() const;
    using PlugListener = std::function<void(bool plugged)>;
    // Told of every plug and unplug, outside the keyboard's lock.
    void setPlugListener(PlugListener listener);

    // Faults on request.
    // Answers nothing: every transfer on the command channel fails after the reply timeout
    // (as the USB stack's control and interrupt transfers do), reads time out.
    void setSilent(bool silent);
    // Falls silent once count more feature reports have been taken.
    void fallSilentAfterCommands(int count);
    // Every reply and report comes this long after it is asked for; later than the
    // platform's timeout means it is missed.
    void setLateAnswerMs(int ms);
    // The next count input reports on the command channel never arrive.
    void loseInputReports(int count);
    // Unplugs itself once count more block reports have crossed the command channel.
    void unplugAfterReports(int count);

    WireLog& wireLog() { return log_; }
    const WireLog& wireLog() const { return log_; }

    // The host's side, called by the emulated HID paths. A connection number is taken when
    // a path is opened; after an unplug every call on an older connection fails.
    std::uint64_t connection() const;
    int setFeature(std::uint64_t connection, std::span<const std::uint8_t> report);
    int getFeature(std::uint64_t connection, std::span<std::uint8_t> report);
    int writeReport(std::uint64_t connection, std::span<const std::uint8_t> report);
    int readReport(std::uint64_t connection, std::span<std::uint8_t> report, int timeoutMs);
    int readEvent(std::uint64_t connection, std::span<std::uint8_t> report, int timeoutMs);
    // How many block reports wait for the host, so that a server of the keyboard over USB
    // moves them without a read that finds none.
    std::size_t queuedCommandReports() const;

  private:
    enum class PendingWrite { None, KeyBlock1, KeyBlock2, MacroBlock, Masks };

    bool liveLocked(std::uint64_t connection) const;
    void logLocked(TraceChannel channel, TraceOp op, std::span<const std::uint8_t> bytes,
                   bool failed);
    void handleCommandLocked(std::span<const std::uint8_t> report);
    void queueBlockLocked(const Block& block);
    void commitWriteLocked();
    void countReportLocked();
    void countSilenceLocked();
    // Blocks for the reply timeout (without the lock) when silent; true when it did.
    bool waitOutSilenceLocked(std::unique_lock<std::mutex>& lock, std::uint64_t connection);
    void unplugLocked();
    void persistLocked();
    int readQueued(TraceChannel channel, std::deque<std::vector<std::uint8_t>>& queue,
                   std::uint64_t connection, std::span<std::uint8_t> report, int timeoutMs);
    void notifyPlugChange();

    Clock& clock_;
    WireLog log_;

    mutable std::mutex mutex_;
    KeyboardMemory memory_;
    std::optional<std::filesystem::path> storage_;
    StorageFailure onStorageFailure_;
    bool storageFailureTold_ = false;
    bool plugged_ = true;
    std::uint64_t connection_ = 1;
    std::array<std::uint8_t, 9> reply_{};
    std::deque<std::vector<std::uint8_t>> commandReports_;
    std::deque<std::vector<std::uint8_t>> eventReports_;
    PendingWrite pendingWrite_ = PendingWrite::None;
    std::size_t pendingMacroIndex_ = 0;
    std::vector<std::uint8_t> writeBuffer_;

    bool silent_ = false;
    int lateAnswerMs_ = 0;
    int reportsToLose_ = 0;
    int reportsBeforeUnplug_ = 0;
    int commandsBeforeSilence_ = 0;
    bool plugChangePending_ = false;

    std::mutex listenerMutex_;
    PlugListener plugListener_;
};

}  // namespace tq260
