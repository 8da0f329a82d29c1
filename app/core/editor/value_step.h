#pragma once
// One click on a digit's spin button: the digit of the value its row shows is stepped by one,
// wrapping from 9 to 0 and from 0 to 9 without a carry, the result is clamped to the value's
// limits, and the values derived from it follow (the other form of a rate or a width, a width that
// no longer fits under a shorter period).

#include <cstdint>

#include "app/core/device_config.h"
#include "app/core/editor/digit_rows.h"

namespace zo::quintel {

// The device parameters a step changed.
enum class DeviceStep { kTiming1, kTiming2, kPulseCount, kDelay };

// The value row `row` shows for `channel`: a rate or a width in the form its unit selects, the
// number of pulses in row 4 of the burst modes, or the delay.
std::uint32_t ShownValue(const ChannelConfig& channel, DigitRowId row);

// Steps the digit at `position` up or down and returns what the device must be sent.
DeviceStep StepChannelValue(ChannelConfig& channel, DigitPosition position, bool up);

}  // namespace zo::quintel
