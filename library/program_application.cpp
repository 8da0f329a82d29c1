#include "library/program_application.h"

#include <cstring>

#include "library/compiler/program_builders.h"
#include "library/compiler/program_upload.h"
#include "library/device_access.h"
#include "library/sequencer_control.h"
#include "library/settings_record.h"
#include "library/vendor_requests.h"

namespace zo::quinteldrv {

namespace {

ChannelBlock blockOf(const QnChannelSettings& settings) {
    static_assert(sizeof(ChannelBlock) == sizeof(QnChannelSettings));
    ChannelBlock block;
    std::memcpy(block.data(), &settings, sizeof block);
    return block;
}

// Loads program p under the access lock; a channel's upload ends with the output restart
// that re-arms every enabled channel, so all running outputs restart in step.
bool upload(QnDeviceContext& context, std::size_t program) {
    {
        const DeviceAccess access(context);
        for (const RegisterWrite& write : uploadWrites(context.programs[program], program)) {
            if (!writeRegister(context, write.reg, write.value)) {
                return false;
            }
        }
    }
    return program == kMeasurementProgram || restartOutputs(context, 0);
}

bool applyChannel(QnDeviceContext& context, unsigned channel) {
    if (sameChannel(context.current, context.lastApplied, channel)) {
        return true;
    }
    // A mode without a builder leaves the previous program, which is loaded again.
    buildChannelProgram(blockOf(context.current.channels[channel]), context.programs[channel]);
    return upload(context, channel);
}

}  // namespace

bool applyChannels(QnDeviceContext& context) {
    for (unsigned channel = 0; channel < QN_CHANNEL_COUNT; ++channel) {
        if (!applyChannel(context, channel)) {
            return false;
        }
    }
    context.lastApplied = context.current;
    return true;
}

bool applyMeasurementProgram(QnDeviceContext& context) {
    const MeasurementHeader header{context.current.measureInput, context.current.measureMode,
                                   context.current.measureEdge};
    buildMeasurementProgram(header, context.programs[kMeasurementProgram]);
    context.loadedMeasurement.reset();  // a failed upload may leave either program, or parts
    if (!upload(context, kMeasurementProgram)) {
        return false;
    }
    context.loadedMeasurement = header;
    return true;
}

}  // namespace zo::quinteldrv
