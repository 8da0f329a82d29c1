#pragma once
// A settings record of the device-access library as text a person can read: the measurement
// header, one row per channel parameter with a column per channel (times also in readable
// units), and the reserved words; and one setting as the record holds it after a command.

#include <string>

#include "include/QuintelDrv.h"
#include "tools/zousbdiag/parameter_names.h"

namespace zousbdiag {

std::string settingsText(const QnDeviceSettings& settings);

// "Channel 0  HIGH_TIME = 12500 (250us)", "All channels  PERIOD = 50000 (1ms, 1kHz): LOW_TIME =
// 37500 (750us)": the setting's value in `settings`, times in readable units too unless the
// channel counts clock transitions.
std::string settingLine(const ParameterSetting& setting, const QnDeviceSettings& settings);

// "input A", "channel 3 output", ...: the name of a source number.
std::string sourceName(std::uint32_t source);

}  // namespace zousbdiag
