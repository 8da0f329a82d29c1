#pragma once
// Building and checking settings records: the default record of a device and the clamping of
// every checked word into its range.

#include <cstdint>

#include "include/QuintelDrv.h"

namespace zo::quinteldrv {

inline constexpr std::uint32_t kLastSourceNumber = 10;
inline constexpr std::uint32_t kLastMeasureMode = 1;

// All words 0, then the size marker, measure input 1 (input A) and each parameter's default in
// every channel.
QnDeviceSettings defaultSettings();

bool hasSizeMarker(const QnDeviceSettings& settings);

// Clamps measure input, measure mode and every channel field into 0..maximum (unsigned), all of
// them even after the first change. True when any word had to change.
bool clampSettings(QnDeviceSettings& settings);

bool sameChannel(const QnDeviceSettings& left, const QnDeviceSettings& right, unsigned channel);

}  // namespace zo::quinteldrv
