#include "device/command_transaction.h"

#include <algorithm>

namespace tq260 {

CommandTransaction::CommandTransaction(DeviceLink& link)
    : lock_(link.commandMutex_),
      device_(link.command_.get()),
      clock_(link.clock_),
      answering_(link.answering_) {
    if (device_ == nullptr) result_ = OperationResult::Failed;
}

CommandTransaction::~CommandTransaction() {
    // A call that failed at once says nothing about whether the keyboard answers.
    if (result_ == OperationResult::NotAnswering) {
        answering_ = false;
    } else if (result_ == OperationResult::Done) {
        answering_ = true;
    }
}

bool CommandTransaction::took(bool succeeded, std::int64_t startedUs) {
    if (succeeded) return true;
    const bool timedOut =
        clock_.threadTimeUs() - startedUs >= std::int64_t{kNoAnswerAfterMs} * 1000;
    if (timedOut) {
        result_ = OperationResult::NotAnswering;
    } else if (result_ == OperationResult::Done) {
        result_ = OperationResult::Failed;
    }
    return false;
}

bool CommandTransaction::givenUp() const {
    // Without a keyboard every call is a quiet no-op and the waits stay; once a call to a
    // keyboard failed, in whatever way, nothing more of the transaction goes out.
    return result_ == OperationResult::NotAnswering ||
           (result_ == OperationResult::Failed && device_ != nullptr);
}

bool CommandTransaction::set(const FeatureReport& report) {
    if (device_ == nullptr || givenUp()) return false;
    const std::int64_t started = clock_.threadTimeUs();
    return took(device_->sendFeatureReport(report.bytes) >= 0, started);
}

FeatureReport CommandTransaction::get() {
    FeatureReport reply;  // zero-filled, report id 0
    if (device_ == nullptr || givenUp()) return reply;
    const std::int64_t started = clock_.threadTimeUs();
    if (!took(device_->getFeatureReport(reply.bytes) >= 0, started)) reply = FeatureReport{};
    return reply;
}

bool CommandTransaction::writeReport(std::span<const std::uint8_t, kBlockReportPayload> payload) {
    if (device_ == nullptr || givenUp()) return false;
    std::array<std::uint8_t, kBlockReportSize> report{};
    std::copy(payload.begin(), payload.end(), report.begin() + 1);
    const std::int64_t started = clock_.threadTimeUs();
    return took(device_->write(report) >= 0, started);
}

bool CommandTransaction::readReport(std::span<std::uint8_t, kBlockReportPayload> payload) {
    if (device_ == nullptr || givenUp()) return false;
    std::array<std::uint8_t, kBlockReportSize> report{};
    const std::int64_t started = clock_.threadTimeUs();
    const int received = device_->read(report, kReportReadTimeoutMs);
    if (received == 0) {
        // The platform's own word for a report that never came.
        result_ = OperationResult::NotAnswering;
        return false;
    }
    if (!took(received > 0, started)) return false;
    std::copy(report.begin() + 1, report.end(), payload.begin());
    return true;
}

void CommandTransaction::wait(int ms) {
    if (ms > 0 && !givenUp()) clock_.sleepMs(ms);
}

}  // namespace tq260
