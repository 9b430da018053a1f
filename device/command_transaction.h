#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <mutex>
#include <span>

#include "device/device_link.h"
#include "device/feature_report.h"
#include "device/operation_result.h"

namespace tq260 {

inline constexpr std::size_t kBlockReportSize = 33;
inline constexpr std::size_t kBlockReportPayload = 32;

// How long a block report read may wait for its report. A keyboard answers within a few
// milliseconds of the announcing report's wait; this bound only keeps a keyboard that
// stopped answering from holding the caller.
inline constexpr int kReportReadTimeoutMs = 250;

// A call that fails after blocking this long has waited out a timeout: the keyboard is there
// but does not answer. One that fails sooner was refused or found the keyboard gone.
inline constexpr int kNoAnswerAfterMs = 200;

// Exclusive use of the command channel for one transaction: a feature report exchange, or
// an announcing report with its data phase, with the waits the keyboard needs. Every call
// fails quietly when the keyboard is not connected; reads then leave their zeros, and the
// waits stay. After a call that failed (waited out its timeout, or was refused), the rest of
// the transaction (calls and waits) is skipped.
class CommandTransaction {
  public:
    explicit CommandTransaction(DeviceLink& link);
    // Tells the link whether the keyboard answered.
    ~CommandTransaction();
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

    // Done while every call so far went through.
    OperationResult result() const { return result_; }
    bool answered() const { return result_ == OperationResult::Done; }

  private:
    // Takes a platform call's outcome; true when it went through.
    bool took(bool succeeded, std::int64_t startedUs);
    // A call to the keyboard failed: nothing more of this transaction is attempted.
    bool givenUp() const;

    std::unique_lock<std::mutex> lock_;
    HidDevice* device_;
    Clock& clock_;
    std::atomic<bool>& answering_;
    OperationResult result_ = OperationResult::Done;
};

}  // namespace tq260
