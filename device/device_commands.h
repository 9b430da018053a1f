#pragma once

#include <cstdint>

#include "device/device_link.h"
#include "device/device_settings.h"
#include "device/operation_result.h"

namespace tq260 {

// Command codes of the feature reports. Bit 7 marks a read request.
namespace command {
inline constexpr std::uint8_t kReadIdentity = 0x80;
inline constexpr std::uint8_t kReadReportRate = 0x81;
inline constexpr std::uint8_t kWriteReportRate = 0x01;
inline constexpr std::uint8_t kReadGameMode = 0x82;
inline constexpr std::uint8_t kWriteGameMode = 0x02;
inline constexpr std::uint8_t kReadResponseTime = 0x84;
inline constexpr std::uint8_t kWriteResponseTime = 0x04;
inline constexpr std::uint8_t kReadLighting = 0x88;
inline constexpr std::uint8_t kWriteLighting = 0x08;
inline constexpr std::uint8_t kReadKeyBlock1 = 0x8C;
inline constexpr std::uint8_t kReadKeyBlock2 = 0x8D;
inline constexpr std::uint8_t kWriteKeyBlock1 = 0x0C;
inline constexpr std::uint8_t kWriteKeyBlock2 = 0x0D;
inline constexpr std::uint8_t kReadMacroBlock = 0x90;
inline constexpr std::uint8_t kWriteMacroBlock = 0x10;
inline constexpr std::uint8_t kFactoryReset = 0x13;
inline constexpr std::uint8_t kReadCustomLightMasks = 0x92;
inline constexpr std::uint8_t kWriteCustomLightMasks = 0x12;
}  // namespace command

// The single-setting commands. Each is one transaction with its fixed waits; reads store
// the reply into the record (zeros when the keyboard does not answer). Each says whether
// the keyboard took the command and answered it.
OperationResult readIdentity(DeviceLink& link, DeviceIdentity& identity);
OperationResult readReportRate(DeviceLink& link, DeviceSettings& settings);
OperationResult writeReportRate(DeviceLink& link, const DeviceSettings& settings);
// The stored value is clamped to at most 10.
OperationResult readResponseTime(DeviceLink& link, DeviceSettings& settings);
OperationResult writeResponseTime(DeviceLink& link, const DeviceSettings& settings);
// Speed travels one higher than stored; the byte arithmetic wraps both ways.
OperationResult readLighting(DeviceLink& link, DeviceSettings& settings);
OperationResult writeLighting(DeviceLink& link, const DeviceSettings& settings);
OperationResult readGameMode(DeviceLink& link, DeviceSettings& settings);
OperationResult writeGameMode(DeviceLink& link, const DeviceSettings& settings);
// Game mode 1, sent first by every full read.
OperationResult gameModeOn(DeviceLink& link);
OperationResult sendFactoryReset(DeviceLink& link);

}  // namespace tq260
