#include "library/program_application.h"

#include "library/sequencer_control.h"
#include "library/settings_record.h"

namespace zo::quinteldrv {

ApplyResult applyChannels(QnDeviceContext& context) {
    for (unsigned channel = 0; channel < QN_CHANNEL_COUNT; ++channel) {
        if (!sameChannel(context.current, context.lastApplied, channel)) {
            return ApplyResult::ProgramsUnavailable;  // SEAM: build and upload this channel
        }
    }
    context.lastApplied = context.current;
    return ApplyResult::Applied;
}

ApplyResult restartMeasurementProgram(QnDeviceContext& context) {
    if (!stopMeasurement(context)) {
        return ApplyResult::TransferFailed;
    }
    return ApplyResult::ProgramsUnavailable;  // SEAM: build, upload and start program 8
}

}  // namespace zo::quinteldrv
