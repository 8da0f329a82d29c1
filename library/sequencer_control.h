#pragma once
// Switching the hub's sequencers: the channel outputs (enable register 0x40, each channel armed
// at its program's start through register 4k + 3) and the measurement run (register 0x41). Each
// sequence holds the device's access lock and stops at its first failed request.

#include <cstdint>
#include <optional>

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
// Arms the measurement program at its entry 0 (register 35) and runs it (0x41 <- 1); an empty
// program is not run.
bool startMeasurement(QnDeviceContext& context);
// Stop, then start; false when either fails.
bool restartMeasurement(QnDeviceContext& context);

// Bit n of the status registers: register 0x40 + n / 8, bit n % 8. Bit 8 is the measurement's
// finished flag. Single reads, made outside the access lock.
std::optional<bool> readStatusBit(QnDeviceContext& context, unsigned bit);
// The 16-bit pair of program p: registers 4p (low) and 4p + 1 (high).
std::optional<std::uint16_t> readProgramPair(QnDeviceContext& context, unsigned program);

}  // namespace zo::quinteldrv
