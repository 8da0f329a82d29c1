#include "app/core/editor/value_step.h"

#include "app/core/config_limits.h"
#include "app/core/digit_step.h"
#include "app/core/editor/mode_layout.h"
#include "app/core/pulse_set.h"

namespace zo::quintel {

std::uint32_t ShownValue(const ChannelConfig& channel, DigitRowId row) {
    ChannelConfig copy = channel;
    switch (row) {
        case DigitRowId::kRate1:
            return PulseSet::First(copy).Rate();
        case DigitRowId::kWidth1:
            return PulseSet::First(copy).Width();
        case DigitRowId::kRate2:
            return PulseSet::Second(copy).Rate();
        case DigitRowId::kWidth2:
            return ShowsPulseCount(channel.mode) ? channel.pulseCount
                                                 : PulseSet::Second(copy).Width();
        case DigitRowId::kDelay:
            return channel.delay;
    }
    return 0;
}

DeviceStep StepChannelValue(ChannelConfig& channel, DigitPosition position, bool up) {
    const std::uint32_t stepped =
        StepDigit(ShownValue(channel, position.row), RowOf(position.row).cells, position.digit, up);
    switch (position.row) {
        case DigitRowId::kRate1:
            PulseSet::First(channel).SetRate(stepped);
            return DeviceStep::kTiming1;
        case DigitRowId::kWidth1:
            PulseSet::First(channel).SetWidth(stepped);
            return DeviceStep::kTiming1;
        case DigitRowId::kRate2:
            PulseSet::Second(channel).SetRate(stepped);
            return DeviceStep::kTiming2;
        case DigitRowId::kWidth2:
            if (ShowsPulseCount(channel.mode)) {
                channel.pulseCount = ClampPulseCount(stepped);
                return DeviceStep::kPulseCount;
            }
            PulseSet::Second(channel).SetWidth(stepped);
            return DeviceStep::kTiming2;
        case DigitRowId::kDelay:
            channel.delay = ClampDelay(stepped);
            return DeviceStep::kDelay;
    }
    return DeviceStep::kDelay;
}

}  // namespace zo::quintel
