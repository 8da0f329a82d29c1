#include "app/core/editor/mode_layout.h"

#include "app/core/device_config.h"
#include "app/core/string_ids.h"

namespace zo::quintel {

bool ShowsPulseCount(std::uint32_t mode) {
    return mode == kModeBurstSingle || mode == kModeBurstRetriggered;
}

ModeLayout ModeLayoutOf(std::uint32_t mode) {
    const bool external = mode == kModeExternal;
    const bool rateSwitch = mode == kModeRateSwitch;
    const bool burst = ShowsPulseCount(mode);

    ModeLayout layout{};
    layout.externalInShown = external;
    // Start/stop and rate switch run on inputs A and B, whatever the gate source says.
    layout.gateShown = mode != kModeStartStop && !rateSwitch;
    layout.gateCaption = burst ? ids::kTrigger : ids::kGate;
    if (rateSwitch) {
        layout.rate1Units = {ids::kFrequency1, ids::kPeriod1};
        layout.width1Units = {ids::kWidth1, ids::kDutyCycle1};
    } else {
        layout.rate1Units = {ids::kFrequency, external ? ids::kPeriodClockCycles : ids::kPeriod};
        layout.width1Units = {ids::kWidth, ids::kDutyCycle};
    }
    // An external clock is edited as a period in clock cycles with a duty cycle only.
    layout.unitListsEnabled = !external;
    layout.row3Shown = rateSwitch;
    if (burst) {
        layout.row4Units = {ids::kNumberOfPulses};
    } else {
        layout.row4Units = {ids::kWidth2, ids::kDutyCycle2};
    }
    layout.row4Shown = rateSwitch || burst;
    layout.delayPointShown = !external;
    layout.delayCaption = external ? ids::kDelayClockCycles : ids::kDelayMicroseconds;
    return layout;
}

}  // namespace zo::quintel
