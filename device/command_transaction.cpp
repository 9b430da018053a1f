#include "device/command_transaction.h"

#include <algorithm>

namespace tq260 {

CommandTransaction::CommandTransaction(DeviceLink& link)
    : lock_(link.commandMutex_), device_(link.command_.get()), clock_(link.clock_) {}

bool CommandTransaction::set(const FeatureReport& report) {
    return device_ != nullptr && device_->sendFeatureReport(report.bytes) >= 0;
}

FeatureReport CommandTransaction::get() {
    FeatureReport reply;  // zero-filled, report id 0
    if (device_ != nullptr && device_->getFeatureReport(reply.bytes) < 0) reply = FeatureReport{};
    return reply;
}

bool CommandTransaction::writeReport(std::span<const std::uint8_t, kBlockReportPayload> payload) {
    if (device_ == nullptr) return false;
    std::array<std::uint8_t, kBlockReportSize> report{};
    std::copy(payload.begin(), payload.end(), report.begin() + 1);
    return device_->write(report) >= 0;
}

bool CommandTransaction::readReport(std::span<std::uint8_t, kBlockReportPayload> payload) {
    if (device_ == nullptr) return false;
    std::array<std::uint8_t, kBlockReportSize> report{};
    const int received = device_->read(report, kReportReadTimeoutMs);
    if (received <= 0) return false;
    std::copy(report.begin() + 1, report.end(), payload.begin());
    return true;
}

void CommandTransaction::wait(int ms) {
    if (ms > 0) clock_.sleepMs(ms);
}

}  // namespace tq260
