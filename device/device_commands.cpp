#include "device/device_commands.h"

#include <algorithm>

#include "device/command_transaction.h"

namespace tq260 {

namespace {

inline constexpr std::uint8_t kMaxResponseTime = 10;

OperationResult sendCommand(DeviceLink& link, std::uint8_t code, std::array<std::uint8_t, 6> params,
                            int waitMs) {
    CommandTransaction transaction(link);
    transaction.set(FeatureReport::request(code, params));
    transaction.wait(waitMs);
    return transaction.result();
}

// The reply, zeros when the keyboard did not answer, and how the exchange ended.
struct Reply {
    FeatureReport report;
    OperationResult result = OperationResult::Failed;
    std::uint8_t operator[](std::size_t i) const { return report[i]; }
};

Reply readCommand(DeviceLink& link, std::uint8_t code, int waitAfterSetMs, int waitAfterGetMs) {
    CommandTransaction transaction(link);
    transaction.set(FeatureReport::request(code));
    transaction.wait(waitAfterSetMs);
    const FeatureReport reply = transaction.get();
    transaction.wait(waitAfterGetMs);
    return {reply, transaction.result()};
}

}  // namespace

OperationResult readIdentity(DeviceLink& link, DeviceIdentity& identity) {
    const Reply reply = readCommand(link, command::kReadIdentity, 10, 10);
    std::copy(reply.report.bytes.begin() + 1, reply.report.bytes.end(), identity.block.begin());
    identity.firmware = {reply[2], reply[3]};
    return reply.result;
}

OperationResult readReportRate(DeviceLink& link, DeviceSettings& settings) {
    const Reply reply = readCommand(link, command::kReadReportRate, 10, 10);
    settings.reportRate = reply[2];
    return reply.result;
}

OperationResult writeReportRate(DeviceLink& link, const DeviceSettings& settings) {
    return sendCommand(link, command::kWriteReportRate, {settings.reportRate}, 10);
}

OperationResult readResponseTime(DeviceLink& link, DeviceSettings& settings) {
    const Reply reply = readCommand(link, command::kReadResponseTime, 10, 10);
    settings.responseTime = std::min(reply[2], kMaxResponseTime);
    return reply.result;
}

OperationResult writeResponseTime(DeviceLink& link, const DeviceSettings& settings) {
    return sendCommand(link, command::kWriteResponseTime, {settings.responseTime}, 10);
}

OperationResult readLighting(DeviceLink& link, DeviceSettings& settings) {
    const Reply reply = readCommand(link, command::kReadLighting, 10, 0);
    settings.lighting = {reply[2], reply[3], static_cast<std::uint8_t>(reply[4] - 1), reply[5],
                         reply[6]};
    return reply.result;
}

OperationResult writeLighting(DeviceLink& link, const DeviceSettings& settings) {
    const LightingSettings& l = settings.lighting;
    return sendCommand(
        link, command::kWriteLighting,
        {l.effect, l.brightness, static_cast<std::uint8_t>(l.speed + 1), l.direction, l.option, 0},
        10);
}

OperationResult readGameMode(DeviceLink& link, DeviceSettings& settings) {
    const Reply reply = readCommand(link, command::kReadGameMode, 5, 0);
    settings.gameMode = reply[2];
    return reply.result;
}

OperationResult writeGameMode(DeviceLink& link, const DeviceSettings& settings) {
    return sendCommand(link, command::kWriteGameMode, {settings.gameMode}, 20);
}

OperationResult gameModeOn(DeviceLink& link) {
    return sendCommand(link, command::kWriteGameMode, {1}, 20);
}

OperationResult sendFactoryReset(DeviceLink& link) {
    return sendCommand(link, command::kFactoryReset, {0xFF}, 300);
}

}  // namespace tq260
