#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "platform/clock.h"
#include "platform/hid_transport.h"

namespace tq260 {

enum class TraceChannel { Command, Event };
enum class TraceOp { Set, Get, Write, Read };

// "00 08 01 …": lower-case hex, two digits each, space-separated.
std::string formatHexBytes(std::span<const std::uint8_t> bytes);

// One trace line without its newline: "<ms> <cmd|evt> <set|get|write|read> <bytes>[ failed]".
std::string formatTraceLine(std::int64_t ms, TraceChannel channel, TraceOp op,
                            std::span<const std::uint8_t> bytes, bool failed);

// The HID trace: one line per report on either channel, appended to a file, for
// diagnosing a misbehaving keyboard.
class HidTrace {
  public:
    static constexpr const char* kEnvironmentVariable = "TQ260_HID_TRACE";

    HidTrace(const std::filesystem::path& file, const Clock& clock);
    ~HidTrace();
    HidTrace(const HidTrace&) = delete;
    HidTrace& operator=(const HidTrace&) = delete;

    // The trace named by TQ260_HID_TRACE, or null when the variable is unset or empty.
    static std::shared_ptr<HidTrace> fromEnvironment(const Clock& clock);

    bool isOpen() const { return file_ != nullptr; }
    // Times are counted from the first call.
    void markLinkOpened();
    void log(TraceChannel channel, TraceOp op, std::span<const std::uint8_t> bytes, bool failed);

  private:
    std::mutex mutex_;
    std::FILE* file_ = nullptr;
    const Clock& clock_;
    std::optional<std::int64_t> originUs_;
};

// Wraps an open HID path so that every report through it is traced.
class TracingHidDevice final : public HidDevice {
  public:
    TracingHidDevice(std::unique_ptr<HidDevice> inner, std::shared_ptr<HidTrace> trace,
                     TraceChannel channel);

    int sendFeatureReport(std::span<const std::uint8_t> report) override;
    int getFeatureReport(std::span<std::uint8_t> report) override;
    int write(std::span<const std::uint8_t> report) override;
    int read(std::span<std::uint8_t> report, int timeoutMs) override;

  private:
    std::unique_ptr<HidDevice> inner_;
    std::shared_ptr<HidTrace> trace_;
    TraceChannel channel_;
};

}  // namespace tq260
