// QnResetDevice, QnWriteRegister and QnReadRegister: raw access to an open hub's registers,
// without the access lock.

#include <optional>

#include "include/QuintelDrv.h"
#include "library/device_table.h"
#include "library/vendor_requests.h"

extern "C" QN_API int32_t QN_CALL QnResetDevice(QnHandle handle) {
    QnDeviceContext* context = zo::quinteldrv::contextOf(handle);
    if (context == nullptr) {
        return QN_ERR_NO_HANDLE;
    }
    return context->isOpen() && zo::quinteldrv::resetHub(*context) ? QN_OK : QN_ERR_DEVICE;
}

extern "C" QN_API int32_t QN_CALL QnWriteRegister(QnHandle handle, int32_t reg, int32_t value) {
    QnDeviceContext* context = zo::quinteldrv::contextOf(handle);
    if (context == nullptr) {
        return QN_ERR_NO_HANDLE;
    }
    return context->isOpen() && zo::quinteldrv::writeRegister(*context, reg, value) ? QN_OK
                                                                                    : QN_ERR_DEVICE;
}

extern "C" QN_API int32_t QN_CALL QnReadRegister(QnHandle handle, int32_t reg, int32_t* value) {
    QnDeviceContext* context = zo::quinteldrv::contextOf(handle);
    if (context == nullptr) {
        return QN_ERR_NO_HANDLE;
    }
    if (value == nullptr) {
        return QN_ERR_BAD_ARG;
    }
    if (!context->isOpen()) {
        return QN_ERR_DEVICE;
    }
    *value = 0;
    const std::optional<std::uint8_t> byte = zo::quinteldrv::readRegister(*context, reg);
    if (!byte) {
        return QN_ERR_DEVICE;
    }
    *value = *byte;
    return QN_OK;
}
