#pragma once
// Switching the hub's sequencers: the channel outputs (enable register 0x40, each channel armed
// at its program's start through register 4k + 3) and the measurement run (register 0x41). Each
// sequence holds the device's access semaphore and stops at its first failed request.

#include <cstdint>

#include "library/device_context.h"

namespace zo::quinteldrv {

inline constexpr std::int32_t kOutputEnableRegister = 0x40;
inline constexpr std::int32_t kMeasurementRunRegister = 0x41;

// Adds `bits` to the output mask, then switches all outputs off, arms every enabled channel at
// its start and switches the mask on, so all running outputs restart in step.
bool restartOutputs(QnDeviceContext& context, std::uint8_t bits);

// Removes `bits` from the output mask and writes the new mask.
bool closeOutputs(QnDeviceContext& context, std::uint8_t bits);

// Measurement sequencer: run register 0x41 <- 0.
bool stopMeasurement(QnDeviceContext& context);

}  // namespace zo::quinteldrv
