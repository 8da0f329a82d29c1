// QnOpenDevice and QnCloseDevice: a probed device becomes open and back.

#include "include/QuintelDrv.h"
#include "library/device_access.h"
#include "library/device_table.h"
#include "library/driver_transport.h"
#include "library/measurement.h"
#include "library/program_application.h"
#include "library/sequencer_control.h"
#include "library/vendor_requests.h"

namespace zo::quinteldrv {

namespace {

constexpr std::uint8_t kAllOutputs = 0xFF;

void releaseDevice(QnDeviceContext& context) {
    detachAccessLock(context);
    context.record.isOpen = 0;
    closeDeviceObject(context);
}

QnDeviceContext* findProbed(std::uint32_t id) {
    for (QnDeviceContext& context : probedContexts()) {
        if (context.record.id == static_cast<std::int32_t>(id)) {
            return &context;
        }
    }
    return nullptr;
}

// Reset, the channel programs that differ from what the hub last took, then the measurement
// program, loaded and started.
bool bringUp(QnDeviceContext& context) {
    return resetHub(context) && applyChannels(context) && stopMeasurement(context) &&
           applyMeasurementProgram(context) && startMeasurement(context);
}

}  // namespace

}  // namespace zo::quinteldrv

extern "C" QN_API int32_t QN_CALL QnOpenDevice(uint32_t id, QnHandle* handle) {
    using namespace zo::quinteldrv;
    if (handle == nullptr) {
        return QN_ERR_BAD_ARG;
    }
    QnDeviceContext* context = id >= 1 && id <= kSlotCount ? findProbed(id) : nullptr;
    if (context == nullptr) {
        return QN_ERR_NO_DEVICE;
    }
    *handle = context;
    if (context->isOpen()) {
        return QN_ERR_ALREADY_OPEN;
    }
    if (!openDeviceObject(*context, context->slot)) {
        return QN_ERR_DEVICE;
    }
    context->record.isOpen = 1;
    context->outputMask = 0;
    context->current = context->defaults;
    attachAccessLock(*context);
    if (!bringUp(*context)) {
        releaseDevice(*context);
        return QN_ERR_DEVICE;
    }
    return QN_OK;
}

extern "C" QN_API int32_t QN_CALL QnCloseDevice(QnHandle handle) {
    using namespace zo::quinteldrv;
    QnDeviceContext* context = contextOf(handle);
    if (context == nullptr) {
        return QN_ERR_NO_HANDLE;
    }
    if (!context->isOpen()) {
        return QN_OK;
    }
    stopMeasurementWorker(*context);
    const bool closed = stopMeasurement(*context) && closeOutputs(*context, kAllOutputs);
    releaseDevice(*context);
    return closed ? QN_OK : QN_ERR_DEVICE;
}
