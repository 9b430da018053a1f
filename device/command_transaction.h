#pragma once

#include <array>
#include <cstdint>
#include <mutex>
#include <span>

#include "device/device_link.h"
#include "device/feature_report.h"

namespace tq260 {

inline constexpr std::size_t kBlockReportSize = 33;
inline constexpr std::size_t kBlockReportPayload = 32;

// How long a block report read may wait for its report. A keyboard answers within a few
// milliseconds of the announcing report's wait; this bound only keeps a keyboard that
// stopped answering from holding the caller.
inline constexpr int kReportReadTimeoutMs = 250;

// Exclusive use of the command channel for one transaction: a feature report exchange, or
// an announcing report with its data phase, with the waits the keyboard needs. Every call
// fails quietly when the keyboard is not connected; reads then leave their zeros.
class CommandTransaction {
  public:
    explicit CommandTransaction(DeviceLink& link);
    CommandTransaction(const CommandTransaction&) = delete;
    CommandTransaction& operator=(const CommandTransaction&) = delete;

    bool set(const FeatureReport& report);
    // The keyboard's 9-byte reply; zeros when the fetch fails.
    FeatureReport get();
    // One 33-byte report: report id 0, then the 32 bytes.
    bool writeReport(std::span<const std::uint8_t, kBlockReportPayload> payload);
    // Reads one 33-byte report into payload; leaves payload as it was when none arrives.
    bool readReport(std::span<std::uint8_t, kBlockReportPayload> payload);
    void wait(int ms);

  private:
    std::unique_lock<std::mutex> lock_;
    HidDevice* device_;
    Clock& clock_;
};

}  // namespace tq260
