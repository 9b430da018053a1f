#include "device/device_commands.h"

#include <algorithm>

#include "device/command_transaction.h"

namespace tq260 {

namespace {

inline constexpr std::uint8_t kMaxResponseTime = 10;

void sendCommand(DeviceLink& link, std::uint8_t code, std::array<std::uint8_t, 6> params,
                 int waitMs) {
    CommandTransaction transaction(link);
    transaction.set(FeatureReport::request(code, params));
    transaction.wait(waitMs);
}

FeatureReport readCommand(DeviceLink& link, std::uint8_t code, int waitAfterSetMs,
                          int waitAfterGetMs) {
    CommandTransaction transaction(link);
    transaction.set(FeatureReport::request(code));
    transaction.wait(waitAfterSetMs);
    const FeatureReport reply = transaction.get();
    transaction.wait(waitAfterGetMs);
    return reply;
}

}  // namespace

void readIdentity(DeviceLink& link, DeviceIdentity& identity) {
    const FeatureReport reply = readCommand(link, command::kReadIdentity, 10, 10);
    std::copy(reply.bytes.begin() + 1, reply.bytes.end(), identity.block.begin());
    identity.firmware = {reply[2], reply[3]};
}

void readReportRate(DeviceLink& link, DeviceSettings& settings) {
    settings.reportRate = readCommand(link, command::kReadReportRate, 10, 10)[2];
}

void writeReportRate(DeviceLink& link, const DeviceSettings& settings) {
    sendCommand(link, command::kWriteReportRate, {settings.reportRate}, 10);
}

void readResponseTime(DeviceLink& link, DeviceSettings& settings) {
    const std::uint8_t value = readCommand(link, command::kReadResponseTime, 10, 10)[2];
    settings.responseTime = std::min(value, kMaxResponseTime);
}

void writeResponseTime(DeviceLink& link, const DeviceSettings& settings) {
    sendCommand(link, command::kWriteResponseTime, {settings.responseTime}, 10);
}

void readLighting(DeviceLink& link, DeviceSettings& settings) {
    const FeatureReport reply = readCommand(link, command::kReadLighting, 10, 0);
    settings.lighting = {reply[2], reply[3], static_cast<std::uint8_t>(reply[4] - 1), reply[5],
                         reply[6]};
}

void writeLighting(DeviceLink& link, const DeviceSettings& settings) {
    const LightingSettings& l = settings.lighting;
    sendCommand(
        link, command::kWriteLighting,
        {l.effect, l.brightness, static_cast<std::uint8_t>(l.speed + 1), l.direction, l.option, 0},
        10);
}

void readGameMode(DeviceLink& link, DeviceSettings& settings) {
    settings.gameMode = readCommand(link, command::kReadGameMode, 5, 0)[2];
}

void writeGameMode(DeviceLink& link, const DeviceSettings& settings) {
    sendCommand(link, command::kWriteGameMode, {settings.gameMode}, 20);
}

void gameModeOn(DeviceLink& link) {
    sendCommand(link, command::kWriteGameMode, {1}, 20);
}

void sendFactoryReset(DeviceLink& link) {
    sendCommand(link, command::kFactoryReset, {0xFF}, 300);
}

}  // namespace tq260
