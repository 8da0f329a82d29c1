#pragma once
// The hub's four vendor requests, each one IOCTL_ZOUSB_CONTROL_REQUEST whose output buffer is the
// data stage. A request succeeds only when the whole data stage came back.

#include <array>
#include <cstdint>
#include <optional>

#include "library/device_context.h"

namespace zo::quinteldrv {

inline constexpr std::uint8_t kRequestReset = 0xFA;
inline constexpr std::uint8_t kRequestWriteRegister = 0xFB;
inline constexpr std::uint8_t kRequestReadRegister = 0xFC;
inline constexpr std::uint8_t kRequestInformationWord = 0xF0;

// The 10-byte control record: device-to-host vendor request to the device.
std::array<std::uint8_t, 10> controlRecord(std::uint8_t request, std::uint16_t value,
                                           std::uint16_t index);
// wValue of a register request: 0xC000 + the register's low 8 bits.
std::uint16_t registerSelector(std::int32_t reg);

bool writeRegister(QnDeviceContext& context, std::int32_t reg, std::int32_t value);
std::optional<std::uint8_t> readRegister(QnDeviceContext& context, std::int32_t reg);
bool resetHub(QnDeviceContext& context);
std::optional<std::uint16_t> readInformationWord(QnDeviceContext& context, std::uint16_t index);

}  // namespace zo::quinteldrv
