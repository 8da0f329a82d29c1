// The frame's queries: enumeration, device information, the last hardware error, and the
// shutdown call.

#include <algorithm>
#include <array>
#include <cstring>
#include <string_view>

#include "include/QuintelDrv.h"
#include "library/device_table.h"

namespace {

constexpr std::array<std::string_view, 5> kHardwareErrorTexts = {
    "Successfull Operation.",
    "USB - Cannot open device driver.",
    "USB - 'DeviceIoControl' call failed.",
    "USB - 'Send Data' operation failed.",
    "USB - 'Receive Data' operation failed.",
};

// Copies at most length - 1 characters and always terminates.
void copyText(std::string_view text, char* destination, uint32_t length) {
    const std::size_t copied = std::min<std::size_t>(text.size(), length - 1);
    std::memcpy(destination, text.data(), copied);
    destination[copied] = '\0';
}

}  // namespace

extern "C" QN_API void QN_CALL QnUnloadDriver(void) {
    // No background measurement may outlive the library's use.
    zo::quinteldrv::stopAllMeasurementWorkers();
}

extern "C" QN_API int32_t QN_CALL QnEnumDevices(QnDeviceRecord* records, uint32_t* count) {
    using namespace zo::quinteldrv;
    if (records == nullptr || count == nullptr || *count == 0) {
        return QN_ERR_BAD_ARG;
    }
    if (probedContexts().empty()) {
        QnLoadDriver();
    }
    const auto probed = probedContexts();
    const std::size_t listed = std::min<std::size_t>(*count, probed.size());
    for (std::size_t i = 0; i < listed; ++i) {
        records[i] = probed[i].record;
    }
    *count = static_cast<uint32_t>(listed);
    return QN_OK;
}

extern "C" QN_API int32_t QN_CALL QnGetDeviceInfo(QnHandle handle, uint32_t type, int32_t* value,
                                                  int32_t* reserved) {
    const QnDeviceContext* context = zo::quinteldrv::contextOf(handle);
    if (context == nullptr) {
        return QN_ERR_NO_HANDLE;
    }
    if (value == nullptr || reserved == nullptr) {
        return QN_ERR_BAD_ARG;
    }
    *reserved = 0;
    switch (type) {
        case QN_INFO_KIND:
            *value = context->record.kind;
            return QN_OK;
        case QN_INFO_ID:
            *value = context->record.id;
            return QN_OK;
        case QN_INFO_CONSTANT:
            *value = context->informationConstant;
            return QN_OK;
        case QN_INFO_SERIAL:
            *value = context->record.serial;
            return QN_OK;
        case QN_INFO_FIRMWARE:
            *value = context->record.firmware;
            return QN_OK;
        case QN_INFO_SPEED:
            *value = context->record.speedCode;
            return QN_OK;
        default:
            return QN_ERR_BAD_ID;
    }
}

extern "C" QN_API int32_t QN_CALL QnGetHardwareError(QnHandle handle, int32_t* code, char* text,
                                                     uint32_t length) {
    const QnDeviceContext* context = zo::quinteldrv::contextOf(handle);
    if (context == nullptr) {
        return QN_ERR_NO_HANDLE;
    }
    if (code == nullptr || text == nullptr || length == 0) {
        return QN_ERR_BAD_ARG;
    }
    const std::int32_t stored = context->hardwareError;
    if (stored < 0 || static_cast<std::size_t>(stored) >= kHardwareErrorTexts.size()) {
        text[0] = '\0';
        return QN_ERR_FAILED;
    }
    copyText(kHardwareErrorTexts[static_cast<std::size_t>(stored)], text, length);
    *code = stored;
    return QN_OK;
}
