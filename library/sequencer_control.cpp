#include "library/sequencer_control.h"

#include "include/QuintelDrv.h"
#include "library/device_access.h"
#include "library/vendor_requests.h"

namespace zo::quinteldrv {

namespace {

std::int32_t startRegister(unsigned program) {
    return static_cast<std::int32_t>(4 * program + 3);
}

}  // namespace

bool restartOutputs(QnDeviceContext& context, std::uint8_t bits) {
    const DeviceAccess access(context);
    context.outputMask = static_cast<std::uint8_t>(context.outputMask | bits);
    if (!writeRegister(context, kOutputEnableRegister, 0)) {
        return false;
    }
    for (unsigned channel = 0; channel < QN_CHANNEL_COUNT; ++channel) {
        if ((context.outputMask & (1u << channel)) != 0 &&
            !writeRegister(context, startRegister(channel), context.programs[channel].entry0)) {
            return false;
        }
    }
    return writeRegister(context, kOutputEnableRegister, context.outputMask);
}

bool closeOutputs(QnDeviceContext& context, std::uint8_t bits) {
    const DeviceAccess access(context);
    context.outputMask = static_cast<std::uint8_t>(context.outputMask & ~bits);
    return writeRegister(context, kOutputEnableRegister, context.outputMask);
}

bool stopMeasurement(QnDeviceContext& context) {
    const DeviceAccess access(context);
    return writeRegister(context, kMeasurementRunRegister, 0);
}

bool startMeasurement(QnDeviceContext& context) {
    // An empty measurement program loads no words, so the hub still holds the previous ones;
    // running them would measure an input nobody asked for. It stays stopped instead.
    if (context.programs[kMeasurementProgram].instructionCount == 0) {
        return true;
    }
    const DeviceAccess access(context);
    return writeRegister(context, startRegister(static_cast<unsigned>(kMeasurementProgram)),
                         context.programs[kMeasurementProgram].entry0) &&
           writeRegister(context, kMeasurementRunRegister, 1);
}

bool restartMeasurement(QnDeviceContext& context) {
    return stopMeasurement(context) && startMeasurement(context);
}

std::optional<bool> readStatusBit(QnDeviceContext& context, unsigned bit) {
    const auto value =
        readRegister(context, static_cast<std::int32_t>(kOutputEnableRegister + bit / 8));
    if (!value) {
        return std::nullopt;
    }
    return ((*value >> (bit % 8)) & 1) != 0;
}

std::optional<std::uint16_t> readProgramPair(QnDeviceContext& context, unsigned program) {
    const auto low = readRegister(context, static_cast<std::int32_t>(4 * program));
    const auto high =
        low ? readRegister(context, static_cast<std::int32_t>(4 * program + 1)) : std::nullopt;
    if (!high) {
        return std::nullopt;
    }
    return static_cast<std::uint16_t>(*high << 8 | *low);
}

}  // namespace zo::quinteldrv
