#pragma once
// Making a command's settings on a settings record: each through QnSetParameter in order, then
// the derived PERIOD settings, then the check that no time given in seconds ended up in a channel
// whose times count clock transitions.

#include <span>
#include <string>

#include "include/QuintelDrv.h"
#include "tools/zousbdiag/parameter_names.h"

namespace zousbdiag {

// The channels a setting addresses: one bit per channel (channel 8: all eight).
std::uint32_t channelMask(std::uint32_t channel);

// Empty when every setting was made, else what was refused and why; the record may then hold
// the settings made before the refusal.
std::string applySettings(QnHandle handle, std::span<const ParameterSetting> settings,
                          QnDeviceSettings& record);

}  // namespace zousbdiag
