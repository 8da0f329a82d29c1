// QnOpenOutputs and QnCloseOutputs: switching channel outputs on and off.

#include "include/QuintelDrv.h"
#include "library/device_table.h"
#include "library/sequencer_control.h"

namespace {

std::uint8_t channelBits(uint32_t mask) {
    return static_cast<std::uint8_t>(mask & 0xFF);
}

}  // namespace

extern "C" QN_API int32_t QN_CALL QnOpenOutputs(QnHandle handle, uint32_t mask) {
    QnDeviceContext* context = zo::quinteldrv::contextOf(handle);
    if (context == nullptr) {
        return QN_ERR_NO_HANDLE;
    }
    if (!context->isOpen()) {
        return QN_ERR_DEVICE;  // mask and hardware error stay as they are
    }
    return zo::quinteldrv::restartOutputs(*context, channelBits(mask)) ? QN_OK : QN_ERR_DEVICE;
}

extern "C" QN_API int32_t QN_CALL QnCloseOutputs(QnHandle handle, uint32_t mask) {
    QnDeviceContext* context = zo::quinteldrv::contextOf(handle);
    if (context == nullptr) {
        return QN_ERR_NO_HANDLE;
    }
    if (!context->isOpen()) {
        return QN_ERR_DEVICE;
    }
    return zo::quinteldrv::closeOutputs(*context, channelBits(mask)) ? QN_OK : QN_ERR_DEVICE;
}
