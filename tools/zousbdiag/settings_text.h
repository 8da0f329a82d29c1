#pragma once
// A settings record of the device-access library as text a person can read: the measurement
// header, one row per channel parameter with a column per channel, and the reserved words.

#include <string>

#include "include/QuintelDrv.h"

namespace zousbdiag {

std::string settingsText(const QnDeviceSettings& settings);

// "input A", "channel 3 output", ...: the name of a source number.
std::string sourceName(std::uint32_t source);

}  // namespace zousbdiag
